#include "app/application.h"
#include "platform/process.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return qm::RunApplication(qm::CurrentCommandLine()); }
#else
int main() { return qm::RunApplication(qm::CurrentCommandLine()); }
#endif
