#include "viewer/ReceivedStream.h"

#include "viewer/GbkCodec.h"

ReceivedStream::ReceivedStream(ViewerNotation form, LoneBytes loneBytes)
    : m_form(form)
    , m_loneBytes(loneBytes)
{ }

QString ReceivedStream::take(QByteArrayView bytes)
{
    m_history.append(bytes);
    return render(false);
}

QString ReceivedStream::finish()
{
    return render(true);
}

QString ReceivedStream::render(bool final)
{
    const bool leadWaits = m_form == ViewerNotation::Txt && m_history.endsInLead() && !final;
    const qsizetype ready = m_history.length(m_form) - (leadWaits ? 1 : 0);
    QString text;
    m_history.render(m_form, m_shown, ready - m_shown, text);
    m_shown = ready;
    if (!leadWaits) {
        m_history.clear();
        m_shown = 0;
    }
    if (m_loneBytes == LoneBytes::Kept)
        return text;
    for (QChar &ch : text) {
        if (GbkCodec::isLoneByte(ch))
            ch = QChar::ReplacementCharacter;
    }
    return text;
}
