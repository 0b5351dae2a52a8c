#include "viewer/ByteHistory.h"
#include "viewer/GbkCodec.h"
#include "viewer/ReceivedTextView.h"

#include <QScrollBar>
#include <QTest>

namespace {

constexpr int margin = 2;

} // namespace

class tst_ReceivedTextView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void rowsBreakAfterBlanksAndAreFull();
    void appendingLaysOutLikeTheWholeText();
    void resizingLaysOutAgain();
    void runsWithoutBlanksBreakAnywhere();
    void wideCharactersTakeTheirWidth();
    void lineBreaksEndRows();
    void tokensBreakLikeTheirCharacters_data();
    void tokensBreakLikeTheirCharacters();
    void followsTheEndOnlyWhenAtTheEnd();
    void measuresAheadWhatTxtWillShow_data();
    void measuresAheadWhatTxtWillShow();
    void laysOutAndMeasuresAheadAcrossBlocks();

private:
    QList<qsizetype> rows() { return rowsOf(*m_view); }
    static QList<qsizetype> rowsOf(ReceivedTextView &view);
    std::unique_ptr<ReceivedTextView> freshView() const;
    // Shows the bytes read as code-page-936 text, as the Txt notation does.
    void showAsText(const QByteArray &bytes);
    qreal rowWidth(qsizetype row, bool withTrailingBlanks);
    qreal available() const { return m_view->viewport()->width() - 2 * margin; }
    void append(const QByteArray &bytes, int chunk);

    std::unique_ptr<ReceivedTextView> m_view;
};

void tst_ReceivedTextView::init()
{
    m_view = std::make_unique<ReceivedTextView>();
    m_view->resize(321, 153);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void tst_ReceivedTextView::cleanup()
{
    m_view.reset();
}

QList<qsizetype> tst_ReceivedTextView::rowsOf(ReceivedTextView &view)
{
    QList<qsizetype> starts;
    for (qsizetype row = 0; row < view.rowCount(); ++row)
        starts.append(view.rowStart(row));
    return starts;
}

std::unique_ptr<ReceivedTextView> tst_ReceivedTextView::freshView() const
{
    auto view = std::make_unique<ReceivedTextView>();
    view->resize(m_view->size());
    view->show();
    return view;
}

void tst_ReceivedTextView::showAsText(const QByteArray &bytes)
{
    m_view->clear();
    m_view->convert(ViewerNotation::Hex);
    m_view->appendReceived(bytes);
    m_view->convert(ViewerNotation::Txt);
}

qreal tst_ReceivedTextView::rowWidth(qsizetype row, bool withTrailingBlanks)
{
    const QString text = m_view->text();
    const qsizetype start = m_view->rowStart(row);
    qsizetype end = row + 1 < m_view->rowCount() ? m_view->rowStart(row + 1) : text.size();
    while (!withTrailingBlanks && end > start && text[end - 1] == u' ')
        --end;
    const QFontMetricsF metrics(m_view->font());
    qreal width = 0;
    for (qsizetype i = start; i < end; ++i)
        width += metrics.horizontalAdvance(QString(text[i]));
    return width;
}

void tst_ReceivedTextView::append(const QByteArray &bytes, int chunk)
{
    for (qsizetype sent = 0; sent < bytes.size(); sent += chunk)
        m_view->appendReceived(
            QByteArrayView(bytes).sliced(sent, std::min<qsizetype>(chunk, bytes.size() - sent)));
}

void tst_ReceivedTextView::rowsBreakAfterBlanksAndAreFull()
{
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i)
        bytes.append(char(i));
    append(bytes, 37);
    const QList<qsizetype> starts = rows();
    QVERIFY(starts.size() > 10);
    const qreal token = QFontMetricsF(m_view->font()).horizontalAdvance(QStringLiteral("00"));
    for (qsizetype row = 0; row < starts.size(); ++row) {
        QCOMPARE(starts[row] % 3, 0); // tokens are never split
        QVERIFY(rowWidth(row, false) <= available() + 0.01);
        if (row + 1 < starts.size())
            QVERIFY2(rowWidth(row, true) + token > available(), "the next token would have fitted");
    }
}

void tst_ReceivedTextView::appendingLaysOutLikeTheWholeText()
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i * 13));
    for (int chunk : { 1, 7, 512 }) {
        m_view->clear();
        append(bytes, chunk);
        QTest::qWait(2 * ReceivedTextView::RefreshIntervalMs);
        const std::unique_ptr<ReceivedTextView> whole = freshView();
        whole->appendReceived(bytes);
        QCOMPARE(whole->text(), m_view->text());
        QCOMPARE(rowsOf(*whole), rows());
    }
}

void tst_ReceivedTextView::resizingLaysOutAgain()
{
    const QByteArray bytes = QByteArray(3000, 'A').replace(5, 1, " ");
    showAsText(bytes);
    const qsizetype narrow = m_view->rowCount();
    m_view->resize(641, 153);
    QVERIFY(m_view->rowCount() < narrow);
    const QList<qsizetype> resized = rows();
    showAsText(bytes);
    QCOMPARE(rows(), resized);
}

void tst_ReceivedTextView::runsWithoutBlanksBreakAnywhere()
{
    showAsText(QByteArray(1000, '7'));
    const qreal advance = QFontMetricsF(m_view->font()).horizontalAdvance(QLatin1Char('7'));
    const qsizetype perRow = qsizetype(available() / advance);
    QCOMPARE(m_view->rowStart(1), perRow);
    QCOMPARE(m_view->rowCount(), (1000 + perRow - 1) / perRow);
}

void tst_ReceivedTextView::wideCharactersTakeTheirWidth()
{
    const QFontMetricsF metrics(m_view->font());
    const qreal wide = metrics.horizontalAdvance(QStringLiteral("中"));
    QVERIFY(wide > metrics.horizontalAdvance(QLatin1Char('0')) * 1.5);
    showAsText(QByteArray("\xD6\xD0").repeated(400)); // 中 x 400
    QCOMPARE(m_view->text(), QString(400, QChar(0x4E2D)));
    QCOMPARE(m_view->rowStart(1), qsizetype(available() / wide));
    for (qsizetype row = 0; row < m_view->rowCount(); ++row)
        QVERIFY(rowWidth(row, true) <= available() + 0.01);
}

void tst_ReceivedTextView::lineBreaksEndRows()
{
    showAsText("ab\r\ncd\ref\ngh");
    QCOMPARE(rows(), (QList<qsizetype> { 0, 4, 7, 10 }));
    // Blanks hang past the edge however many there are: the rows after
    // them start further on than the rows are kept in 16 bits.
    showAsText("ab" + QByteArray(70000, ' ') + "\r\ncd\r\nef");
    QCOMPARE(rows(), (QList<qsizetype> { 0, 70004, 70008 }));
}

void tst_ReceivedTextView::tokensBreakLikeTheirCharacters_data()
{
    QTest::addColumn<ViewerNotation>("notation");
    QTest::addColumn<int>("width");
    // The narrowest rows are shorter than a token.
    for (int width : { 321, 97, 41 }) {
        QTest::addRow("Hex, %d px", width) << ViewerNotation::Hex << width;
        QTest::addRow("Ten, %d px", width) << ViewerNotation::Ten << width;
        QTest::addRow("Txt then tokens, %d px", width) << ViewerNotation::Txt << width;
    }
}

// Tokens are placed a whole token at a time where they fit; the same
// characters as a Txt text are placed one at a time. The rows must not tell
// the two apart.
void tst_ReceivedTextView::tokensBreakLikeTheirCharacters()
{
    QFETCH(ViewerNotation, notation);
    QFETCH(int, width);
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.append(char(i * 7));
    m_view->resize(width, 153);
    if (notation == ViewerNotation::Txt) {
        showAsText("\xD6\xD0 a\r"); // the tokens of later bytes follow a carriage return
    } else {
        m_view->clear();
        m_view->convert(notation);
    }
    append(bytes, 100);
    const QList<qsizetype> tokenRows = rows();
    const QString text = m_view->text();
    showAsText(GbkCodec::encode(text));
    QCOMPARE(m_view->text(), text);
    QCOMPARE(rows(), tokenRows);
}

void tst_ReceivedTextView::followsTheEndOnlyWhenAtTheEnd()
{
    QScrollBar *bar = m_view->verticalScrollBar();
    append(QByteArray(3000, 'x'), 100);
    QTRY_VERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(m_view->firstVisibleRow(), m_view->rowCount() - bar->pageStep());

    bar->setValue(3);
    append(QByteArray(3000, 'y'), 100);
    const int before = bar->maximum();
    QTRY_VERIFY(bar->maximum() > before);
    QCOMPARE(bar->value(), 3);
}

QTEST_MAIN(tst_ReceivedTextView)
#include "tst_receivedtextview.moc"

void tst_ReceivedTextView::measuresAheadWhatTxtWillShow_data()
{
    QTest::addColumn<ViewerNotation>("shown");
    QTest::newRow("Hex") << ViewerNotation::Hex;
    QTest::newRow("Ten") << ViewerNotation::Ten;
}

// The characters are measured while the tokens are shown; the Txt layout
// that uses those measures breaks where a view that measured nothing ahead
// does. A pair split between two arrivals, a lone lead byte at the end.
void tst_ReceivedTextView::measuresAheadWhatTxtWillShow()
{
    QFETCH(ViewerNotation, shown);
    const QByteArray bytes
        = GbkCodec::encode(u"接收数据，ｘ€ 「測試」\t").repeated(40) + "\x81\x40\x7F\r\n\xFE";
    m_view->convert(shown);
    m_view->appendReceived(bytes.first(7));
    m_view->appendReceived(bytes.sliced(7));
    QTRY_COMPARE(m_view->measuredAhead(), bytes.size());
    m_view->clear();
    QCOMPARE(m_view->measuredAhead(), 0);
    append(bytes, 64);
    QTRY_COMPARE(m_view->measuredAhead(), bytes.size());
    // From Ten the lead byte at the end is dropped, from Hex it stands alone.
    QCOMPARE(m_view->convert(ViewerNotation::Txt), shown == ViewerNotation::Hex);
    const std::unique_ptr<ReceivedTextView> fresh = freshView();
    fresh->convert(shown);
    fresh->appendReceived(bytes);
    fresh->convert(ViewerNotation::Txt);
    QCOMPARE(m_view->text(), fresh->text());
    QCOMPARE(rows(), rowsOf(*fresh));
}

// The bytes are held in blocks: the layout and measuring ahead go on from
// one block to the next, over a pair split between them.
void tst_ReceivedTextView::laysOutAndMeasuresAheadAcrossBlocks()
{
    const QByteArray bytes
        = QByteArray(ByteHistory::BlockSize - 1, 'x') + GbkCodec::encode(u"接收") + QByteArray(100, 'y');
    append(bytes, 4096);
    QTRY_VERIFY(!m_view->isLayingOut());
    QTRY_COMPARE(m_view->measuredAhead(), bytes.size());
    const qsizetype last = m_view->rowCount() - 1;
    QVERIFY(rowWidth(last, false) <= available() + 0.01);
    QCOMPARE(m_view->text().mid(m_view->rowStart(last)).remove(u' ').right(4), QStringLiteral("7979"));
}
