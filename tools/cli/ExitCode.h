#pragma once

// What veltrin-cli tells its caller, for scripts and production lines.
enum ExitCode : int {
    // The command did what was asked, or the printer is on line.
    Success = 0,
    // The module said no: not on line, "设置失败", no reply, no free channel.
    NegativeAnswer = 1,
    // Wrong command line or input: nothing (or only the select frame) was sent.
    UsageError = 2,
    // The port could not be opened or a transmission failed.
    PortError = 3,
    // Ctrl+C or a termination signal ended the command, as shells count it.
    Interrupted = 130,
};
