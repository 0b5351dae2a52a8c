#include "WirelessPanelRig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>

WirelessPanelRig::WirelessPanelRig()
    : settings(port, channels)
    , transmitter(port, channels)
    , viewer(nullptr, channels, files)
    , events(port, transmitter, channels, viewer)
    , exchange(port, transmitter, events)
    , portPanel(settings, catalog)
    , panel(exchange, transmitter, settings, viewer, channels)
{
    QObject::connect(&port, &CommPort::onComm, &events, &CommEventHandler::MSComm1_OnComm);
    panel.selectFirstCommand();
    panel.fillStatusPrinterList();
    settings.ApplyPortDefaults();
    settings.SelectHandshake(0);
}

bool WirelessPanelRig::showAndWaitForPaint()
{
    panel.show();
    return QTest::qWaitForWindowExposed(&panel);
}

void WirelessPanelRig::click(const char *name) const
{
    QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
}

void WirelessPanelRig::choose(const char *combo, int index) const
{
    child<QComboBox>(combo)->setCurrentIndex(index);
}

QString WirelessPanelRig::label(const char *name) const
{
    return child<QLabel>(name)->text();
}
