// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingLog.h"

#include <QString>
#include <windows.h>

namespace chimewick {
namespace {

// The event ids of the two kinds of line, so that a filter in the Event Viewer can tell them
// apart. Each is "%1" in the program's message table (messages.mc), which the installer
// registers as the source's message file: the viewer shows the line as the event's text.
constexpr DWORD RingEventId = 1;
constexpr DWORD FailureEventId = 2;

} // namespace

// A program started from the Start menu has no standard error anyone reads: on Windows the
// office finds the lines in the Application event log, always.
bool RingLog::journalWanted() {
    return true;
}

void RingLog::sendToJournal(const std::string& message, Priority priority,
                            const std::vector<std::string>& fields) {
    // Opened once for the program's life; Windows closes it at the end. A source that is not
    // registered still reaches the Application log, under the name given.
    static const HANDLE source = RegisterEventSourceW(nullptr, L"Chimewick");
    if (!source)
        return; // the line is in the program's logging category anyway
    // The line first, then the journal's fields, each a string of the event.
    std::vector<std::wstring> texts{QString::fromStdString(message).toStdWString()};
    for (const std::string& field : fields)
        texts.push_back(QString::fromStdString(field).toStdWString());
    std::vector<LPCWSTR> strings;
    for (const std::wstring& text : texts)
        strings.push_back(text.c_str());
    const bool warning = priority == Priority::Warning;
    ReportEventW(source, warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE, 0,
                 warning ? FailureEventId : RingEventId, nullptr, static_cast<WORD>(strings.size()),
                 0, strings.data(), nullptr);
}

} // namespace chimewick
