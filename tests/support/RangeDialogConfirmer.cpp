#include "RangeDialogConfirmer.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

void confirmRangeDialogWhenItOpens(QObject *owner)
{
    auto *confirm = new QTimer(owner);
    confirm->setInterval(5);
    QObject::connect(confirm, &QTimer::timeout, owner, [confirm] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("frmSetting") && window->isVisible()) {
                confirm->deleteLater();
                confirm->stop();
                QTest::mouseClick(
                    window->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
                return;
            }
        }
    });
    confirm->start();
}
