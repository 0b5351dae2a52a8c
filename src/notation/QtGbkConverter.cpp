#include "notation/QtGbkConverter.h"

namespace {

constexpr QStringConverter::Flag stateless = QStringConverter::Flag::Stateless;

} // namespace

QtGbkConverter::QtGbkConverter()
{
    m_encoder.emplace("GBK", stateless);
    m_decoder.emplace("GBK", stateless);
}

QString QtGbkConverter::name() const
{
    return isValid() ? QStringLiteral("Qt's GBK converter (ICU)")
                     : QStringLiteral("none: this Qt has no GBK converter (built without ICU)");
}

bool QtGbkConverter::isValid() const
{
    return m_encoder->isValid() && m_decoder->isValid();
}

// The converter writes "?" for most characters GBK lacks but nothing at all
// for the default-ignorable ones; its error flag tells both apart from a
// real "?". Once set, the flag stays set whatever is reset, so a failed
// conversion leaves a fresh converter for the next. It is made in place: an
// ICU converter moved into another keeps reporting to the one it left.
QByteArray QtGbkConverter::encodeCharacter(QStringView character)
{
    if (!m_encoder->isValid())
        return {};
    const QByteArray bytes = m_encoder->encode(character);
    if (!m_encoder->hasError())
        return bytes;
    m_encoder.emplace("GBK", stateless);
    return {};
}

QString QtGbkConverter::decode(QByteArrayView bytes, bool *valid)
{
    if (!m_decoder->isValid()) {
        if (valid)
            *valid = bytes.isEmpty();
        return QString(bytes.size(), QChar::ReplacementCharacter);
    }
    QString text = m_decoder->decode(bytes);
    const bool failed = m_decoder->hasError();
    if (failed)
        m_decoder.emplace("GBK", stateless);
    if (valid)
        *valid = !failed;
    return text;
}
