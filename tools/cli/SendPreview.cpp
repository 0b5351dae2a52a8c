#include "SendPreview.h"

#include "CliRequest.h"
#include "ExitCode.h"
#include "ResultWriter.h"
#include "interfaces/UserChannels.h"
#include "notation/SendNotation.h"
#include "printtest/PrintTestSender.h"
#include "protocol/ControlFrame.h"

#include <QJsonArray>

namespace {

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

int SendPreview::write(
    const CliRequest &request, const QString &printData, UserChannels &channels, ResultWriter &results)
{
    qint16 dataMode = request.notation;
    const std::optional<QString> prepared = PrintTestSender::preparedText(printData, dataMode, channels);
    if (!prepared)
        return UsageError;
    const QByteArray frame = ControlFrame::bytes(
        ControlFrame::SelectPrinters, { PrintTestSender::printerSetOf(request.printers) });
    const SendNotation::Result data = SendNotation::parse(*prepared, dataMode);

    QJsonArray printers;
    for (int printer : request.printers)
        printers.append(printer);
    QJsonObject json { { QStringLiteral("command"), request.command }, { QStringLiteral("dry_run"), true },
        { QStringLiteral("printers"), printers }, { QStringLiteral("frame"), hex(frame) } };
    if (!data.ok()) {
        results.result(QStringLiteral("frame %1").arg(hex(frame)), json);
        channels.ShowTip(data.error, 0);
        return UsageError;
    }
    json.insert(QStringLiteral("data"), hex(data.bytes));
    results.result(QStringLiteral("frame %1\ndata  %2").arg(hex(frame), hex(data.bytes)), json);
    return Success;
}
