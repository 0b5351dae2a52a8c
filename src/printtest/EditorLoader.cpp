#include "printtest/EditorLoader.h"

#include "printtest/EditorLineBreaks.h"

#include <QPlainTextEdit>

namespace {

// Some 10-20 ms of the editor's work for lines of a few dozen characters
// (bench_fileload), well inside a frame or two.
constexpr qsizetype sliceCharacters = 32 * 1024;

} // namespace

EditorLoader::EditorLoader(QPlainTextEdit &editor, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &EditorLoader::appendSlice);
}

void EditorLoader::load(const QString &text)
{
    cancel();
    m_editor.clear();
    // The slices are one edit: nothing of them can be undone piecemeal.
    m_editor.document()->setUndoRedoEnabled(false);
    m_text = text;
    m_done = 0;
    if (m_text.size() <= sliceCharacters) {
        appendSlice();
        return;
    }
    m_editor.setReadOnly(true);
    m_timer.start();
}

void EditorLoader::finish()
{
    while (m_timer.isActive())
        appendSlice();
}

void EditorLoader::cancel()
{
    if (m_timer.isActive())
        end();
}

void EditorLoader::appendSlice()
{
    const QStringView rest = QStringView(m_text).sliced(m_done);
    const qsizetype length = EditorLineBreaks::sliceLength(rest, sliceCharacters);
    EditorLineBreaks::append(*m_editor.document(), rest.first(length));
    if (m_done == 0) {
        // The editor's cursor was carried to the end of the first slice; the
        // file is shown from its start, as after any replacement of the text.
        m_editor.moveCursor(QTextCursor::Start);
    }
    m_done += length;
    if (m_done == m_text.size())
        end();
}

void EditorLoader::end()
{
    m_timer.stop();
    m_text.clear();
    m_done = 0;
    m_editor.setReadOnly(false);
    m_editor.document()->setUndoRedoEnabled(true);
}
