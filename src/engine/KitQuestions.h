#pragma once

#include <QString>

#include <optional>

class ModuleExchange;

// The questions the kit jobs chain, each one frame through the module
// exchange with its reply awaited as the wireless panel awaits it, and read
// by the panel's rules: any byte but 0 is a yes, nothing is a no.
class KitQuestions
{
public:
    static constexpr int printerCount = 4;

    explicit KitQuestions(ModuleExchange &exchange);

    // Command 19. Nothing when the host did not answer: channel 0 is a
    // channel, so a missing reply must not read as one.
    std::optional<int> hostChannel();
    // Command 12.
    bool setHostChannel(int channel);
    // Command 15 for printer 1-4, on the host's channel.
    bool isOnline(int printer);
    // Command 11 for printer 1-4, its address unchanged.
    bool moveSlave(int printer, int fromChannel, int toChannel);

    // "1号机", as the panel's selectors name the printers.
    static QString printerName(int printer);
    // "信道 20", as the jobs' reports name a channel.
    static QString channelText(int channel);
    // Between the parts of a report's row: "1号机 · 信道 20 · 在线".
    static QString rowSeparator() { return QStringLiteral(" · "); }

private:
    ModuleExchange &m_exchange;
};
