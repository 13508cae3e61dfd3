// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NextBellWatch.h"

#include "BellPlayer.h"
#include "NextBell.h"
#include "QtForm.h"
#include "ScheduleSlots.h"

#include <QCheckBox>
#include <QLineEdit>

namespace chimewick {

NextBellWatch::NextBellWatch(QtForm& form, const Controls& controls, const Clock& clock)
    : form_(form), controls_(controls), clock_(clock) {
    const auto watchText = [this](std::string_view box) {
        if (auto* edit = qobject_cast<QLineEdit*>(form_.widget(box)))
            connect(edit, &QLineEdit::textChanged, this, &NextBellWatch::schedule);
    };
    watchText("Text1"); // the tick writes the clock there every second it handles
    for (const ScheduleSlot& slot : scheduleSlots()) {
        watchText(slot.timeBox);
        if (auto* box = qobject_cast<QCheckBox*>(form_.widget(slot.checkBox)))
            connect(box, &QCheckBox::toggled, this, &NextBellWatch::schedule);
    }
    schedule();
}

void NextBellWatch::schedule() {
    // A profile writes dozens of boxes in one go: worked out once, after the last.
    if (pending_)
        return;
    pending_ = true;
    QMetaObject::invokeMethod(this, &NextBellWatch::update, Qt::QueuedConnection);
}

void NextBellWatch::update() {
    pending_ = false;
    const Instant now = clock_.now();
    line_ = QString::fromStdString(nextBellLine(nextBell(controls_, clock_, now), now));
    if (BellPlayer* player = form_.player())
        player->setNextBell(line_);
}

} // namespace chimewick
