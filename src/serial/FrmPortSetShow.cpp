#include "serial/FrmPortSetShow.h"

#include "serial/PortSettings.h"
#include "serial/SerialPortCatalog.h"
#include "serial/UnlistedDevice.h"
#include "ui_FrmPortSetShow.h"

#include <QDir>
#include <QSignalBlocker>

FrmPortSetShow::FrmPortSetShow(PortSettings &settings, SerialPortCatalog &catalog, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FrmPortSetShow>())
    , m_settings(settings)
    , m_catalog(catalog)
{
    m_ui->setupUi(this);
    numberButtons();
    showDevicePaths();
    fillDeviceList();

    connect(m_ui->optPortset, &QButtonGroup::idClicked, this, [this](int index) {
        m_settings.SelectPort(index);
        fillDeviceList();
    });
    connect(m_ui->cboDevice, &QComboBox::activated, this, &FrmPortSetShow::deviceChosen);
    connect(&m_catalog, &SerialPortCatalog::changed, this, &FrmPortSetShow::fillDeviceList);
    // A pty's link comes and goes without the system's list changing.
    connect(&m_catalog, &SerialPortCatalog::scanned, this, &FrmPortSetShow::showUnlistedDevice);
    connect(&m_settings, &PortSettings::deviceBound, this, [this] {
        showDevicePaths();
        fillDeviceList();
    });
    connect(m_ui->optBautrateSet, &QButtonGroup::idClicked, &m_settings, &PortSettings::SelectBaudRate);
    connect(m_ui->Option3, &QButtonGroup::idClicked, &m_settings, &PortSettings::SelectHandshake);
    // A click ticks its option at once. The options go back to the port's
    // real state before the port is asked, so that the report of a failed
    // open never stands beside a ticked "打开串口"; the port's own signal
    // ticks the option when it does open or close.
    connect(m_ui->Option1, &QRadioButton::clicked, this, [this] {
        showPortState();
        m_settings.OpenPort();
    });
    connect(m_ui->Option2, &QRadioButton::clicked, this, [this] {
        showPortState();
        m_settings.ClosePort();
    });
    connect(&m_settings, &PortSettings::baudRateSelected, this, &FrmPortSetShow::markBaudRate);
    connect(&m_settings, &PortSettings::portOpenChanged, this, [this] {
        showPortState();
        showUnlistedDevice();
    });
    // Made on first use, the panel may come after the port opened or the
    // wireless panel switched the speed.
    markBaudRate(m_settings.selectedBaudIndex());
    showPortState();
}

FrmPortSetShow::~FrmPortSetShow()
{
    if (m_watching)
        m_catalog.stopWatching();
}

void FrmPortSetShow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_watching) {
        m_watching = true;
        m_catalog.startWatching();
    }
}

void FrmPortSetShow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_watching) {
        m_watching = false;
        m_catalog.stopWatching();
    }
}

void FrmPortSetShow::numberButtons()
{
    // The group ids are the indexes the settings operations take.
    const QList<QRadioButton *> ports { m_ui->optPortset_0, m_ui->optPortset_1, m_ui->optPortset_2,
        m_ui->optPortset_3, m_ui->optPortset_4, m_ui->optPortset_5 };
    for (int i = 0; i < ports.size(); ++i)
        m_ui->optPortset->setId(ports.at(i), i);
    const QList<QRadioButton *> rates { m_ui->optBautrateSet_0, m_ui->optBautrateSet_1,
        m_ui->optBautrateSet_2, m_ui->optBautrateSet_3 };
    for (int i = 0; i < rates.size(); ++i)
        m_ui->optBautrateSet->setId(rates.at(i), i);
    const QList<QRadioButton *> handshakes { m_ui->Option3_0, m_ui->Option3_1, m_ui->Option3_2,
        m_ui->Option3_3 };
    for (int i = 0; i < handshakes.size(); ++i)
        m_ui->Option3->setId(handshakes.at(i), i);
}

void FrmPortSetShow::showDevicePaths()
{
    const QList<QAbstractButton *> ports = m_ui->optPortset->buttons();
    for (QAbstractButton *button : ports)
        button->setToolTip(QDir::toNativeSeparators(m_settings.devicePath(m_ui->optPortset->id(button))));
}

// Every port present, the selected port's device chosen; a device that is
// not among them stands first, so that the list always says which one it is
// and whether it is there.
void FrmPortSetShow::fillDeviceList()
{
    QComboBox *list = m_ui->cboDevice;
    const QSignalBlocker quiet(list);
    list->clear();
    const QString current = selectedDevicePath();
    const QList<SerialPortEntry> ports = m_catalog.ports();
    int chosen = -1;
    for (const SerialPortEntry &entry : ports) {
        if (chosen < 0 && entry.isNamedBy(current))
            chosen = list->count();
        list->addItem(entry.displayText(), entry.stablePath());
        if (!entry.byIdPath.isEmpty())
            list->setItemData(list->count() - 1, entry.byIdPath, Qt::ToolTipRole);
    }
    m_unlistedFirst = chosen < 0;
    if (m_unlistedFirst) {
        list->insertItem(0, UnlistedDevice::displayText(current, m_settings.portOpen()), current);
        chosen = 0;
    }
    list->setCurrentIndex(chosen);
}

// Only the first item's words change: the list itself stays as it is, with
// its popup open if the user has it open.
void FrmPortSetShow::showUnlistedDevice()
{
    if (m_unlistedFirst)
        m_ui->cboDevice->setItemText(
            0, UnlistedDevice::displayText(selectedDevicePath(), m_settings.portOpen()));
}

QString FrmPortSetShow::selectedDevicePath() const
{
    return m_settings.devicePath(m_settings.selectedPortIndex());
}

void FrmPortSetShow::deviceChosen(int item)
{
    m_settings.SelectDevice(m_settings.selectedPortIndex(), m_ui->cboDevice->itemData(item).toString());
}

void FrmPortSetShow::markBaudRate(int index)
{
    if (QAbstractButton *button = m_ui->optBautrateSet->button(index))
        button->setChecked(true);
}

void FrmPortSetShow::showPortState()
{
    // The two options are exclusive: ticking one unticks the other.
    (m_settings.portOpen() ? m_ui->Option1 : m_ui->Option2)->setChecked(true);
}
