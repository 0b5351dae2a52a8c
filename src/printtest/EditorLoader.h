#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

// Puts a loaded file's text into the print-test editor a slice of lines at a
// time, each slice from the event loop: the editor takes about a quarter of
// a second per megabyte, and a window that stops for that long looks hung.
// A text of one slice goes in at once; while a longer one goes in, the
// editor is read-only.
class EditorLoader : public QObject
{
    Q_OBJECT

public:
    explicit EditorLoader(QPlainTextEdit &editor, QObject *parent = nullptr);

    // Replaces the editor's text, line breaks as they are (EditorLineBreaks).
    void load(const QString &text);
    // Puts in the rest at once: a send needs the whole text.
    void finish();
    // Stops a load under way; the editor keeps what it has.
    void cancel();

private:
    void appendSlice();
    void end();

    QPlainTextEdit &m_editor;
    QTimer m_timer;
    QString m_text;
    qsizetype m_done = 0;
};
