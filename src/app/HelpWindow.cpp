#include "app/HelpWindow.h"

#include "app/HelpDocument.h"

#include <QTextEdit>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("使用帮助"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *text = new QTextEdit(this);
    text->setObjectName(QStringLiteral("helpText"));
    text->setReadOnly(true);
    text->setDocument(HelpDocument::create(text));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
}
