// The frame's command numbers, named once: the caption buttons (each button
// sends its own id), the tray menu's items, the F5 accelerator and the
// cache-cleaning worker's report. The frame, the tray menu, the cache
// cleaning and the exit prompts all speak these numbers.
#pragma once

namespace qm {

// Caption button ids; each is also the command its button sends.
constexpr int kButtonClose = 1001;
constexpr int kButtonRestore = 1002;
constexpr int kButtonMinimize = 1003;
constexpr int kButtonFullScreen = 1004;
constexpr int kButtonBossKey = 1005;
constexpr int kButtonChooseServer = 1007;
constexpr int kButtonMaximize = 1008;
constexpr int kButtonRefresh = 1021;
constexpr int kButtonClearCache = 1030;

// Other commands of the frame.
constexpr int kCommandCancel = 2;            // IDCANCEL; the dialog's WM_CLOSE becomes this
constexpr int kCommandTrayToggle = 32775;    // tray menu "隐藏/显示(F10)"
constexpr int kCommandTrayClearCache = 32776;  // tray menu "清理缓存"
constexpr int kCommandTrayExit = 32777;      // tray menu "退出"
constexpr int kCommandAcceleratorF5 = 32778;  // accelerator table 303: F5
constexpr int kCommandCacheCleaned = 10002;  // the cache-cleaning worker has finished
constexpr int kCommandGameProcessEnded = 10003;  // the game process has ended (and been reaped)

}  // namespace qm
