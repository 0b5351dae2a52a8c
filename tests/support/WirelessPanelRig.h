#pragma once

#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "protocol/FrmWirelessShow.h"
#include "protocol/ModuleExchange.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/FrmPortSetShow.h"
#include "serial/PortSettings.h"
#include "serial/SerialPortCatalog.h"
#include "serial/Transmitter.h"
#include "viewer/ReceiveViewerHost.h"

#include <QString>

// The wireless panel wired as the main window wires it, on whatever COM3
// points at when the rig is made: the port with its settings, transmitter and
// receive path, the viewer host, and the port-settings panel that shows what
// the PC's port runs at. Started up as the program starts, with handshaking
// off, since a pty has no CTS line.
class WirelessPanelRig
{
public:
    WirelessPanelRig();

    // Shows the panel and waits for its first paint.
    [[nodiscard]] bool showAndWaitForPaint();

    template<typename T> T *child(const char *name) const
    {
        T *widget = panel.findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    void click(const char *name) const;
    void choose(const char *combo, int index) const;
    QString label(const char *name) const;

    RecordingUserChannels channels;
    ScriptedFileChooser files;
    CommPort port;
    PortSettings settings;
    Transmitter transmitter;
    ReceiveViewerHost viewer;
    CommEventHandler events;
    ModuleExchange exchange;
    SerialPortCatalog catalog;
    FrmPortSetShow portPanel;
    FrmWirelessShow panel;
};
