// The debugger output channel: OutputDebugStringW on Windows, a line on
// standard error elsewhere.
#pragma once

#include <string>

namespace qm {

void DebugOutput(const std::wstring& text);

// The environment variable that switches the stage lines on (any value).
constexpr const char* kStageLogVariable = "QM_STAGE_LOG";

// A start-up stage for measurements: when QM_STAGE_LOG is set, the debug
// line "stage <seconds since 1970 with microseconds> <name>" from the wall
// clock, which every process on the machine shares, so that the stages of
// the launcher and of its game process line up; nothing otherwise.
void DebugStage(const wchar_t* name);

}  // namespace qm
