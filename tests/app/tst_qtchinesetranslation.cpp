// The texts Qt draws itself come out in Chinese once Qt's own catalogue is
// installed: the print-test panel's file dialog and the message boxes'
// standard buttons.
#include "app/QtChineseTranslation.h"
#include "printtest/DialogFileChooser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

class tst_QtChineseTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fileDialogSpeaksChinese();
    void standardButtonsSpeakChinese();

private:
    QTranslator m_translator;
};

void tst_QtChineseTranslation::initTestCase()
{
    QVERIFY(installQtChineseTranslation(m_translator));
}

void tst_QtChineseTranslation::fileDialogSpeaksChinese()
{
    QString lookIn;
    QStringList buttons;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        lookIn = dialog->findChild<QLabel *>(QStringLiteral("lookInLabel"))->text();
        const QList<QAbstractButton *> boxButtons = dialog->findChild<QDialogButtonBox *>()->buttons();
        for (const QAbstractButton *button : boxButtons)
            buttons.append(button->text());
        dialog->reject();
    });
    DialogFileChooser chooser;
    QCOMPARE(chooser.ChooseTextFile(QStringLiteral("文本文件(*.txt)|*.txt")), QString());
    QCOMPARE(lookIn, QStringLiteral("查找范围："));
    buttons.sort();
    QCOMPARE(buttons, QStringList({ QStringLiteral("取消"), QStringLiteral("打开(&O)") }));
}

void tst_QtChineseTranslation::standardButtonsSpeakChinese()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
}

QTEST_MAIN(tst_QtChineseTranslation)
#include "tst_qtchinesetranslation.moc"
