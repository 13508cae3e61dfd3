// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NextBellWatch.h"

#include "ScheduleSlots.h"

#include <QCheckBox>
#include <QLineEdit>

namespace chimewick {

namespace {

template<typename Widget> Widget* control(const QWidget& window, std::string_view name) {
    return window.findChild<Widget*>(QString::fromUtf8(name.data(), qsizetype(name.size())));
}

bool same(const std::optional<NextBell>& a, const std::optional<NextBell>& b) {
    if (!a || !b)
        return !a && !b;
    return a->slot == b->slot && a->timeText == b->timeText && a->at == b->at;
}

} // namespace

NextBellWatch::NextBellWatch(const QWidget& window, const Controls& controls, const Clock& clock)
    : controls_(controls), clock_(clock) {
    // The tick writes the clock there at every second it handles, before its bells ring:
    // that second is the one counted from, once they have.
    if (auto* display = control<QLineEdit>(window, "Text1"))
        connect(display, &QLineEdit::textChanged, this, [this] {
            shown_ = clock_.now();
            schedule();
        });
    for (const ScheduleSlot& slot : scheduleSlots()) {
        if (auto* edit = control<QLineEdit>(window, slot.timeBox))
            connect(edit, &QLineEdit::textChanged, this, &NextBellWatch::schedule);
        if (auto* box = control<QCheckBox>(window, slot.checkBox))
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
    const Instant from = shown_ ? *shown_ : clock_.now();
    std::optional<NextBell> next = nextBell(controls_, clock_, from);
    if (known_ && from == from_ && same(next, next_))
        return;
    known_ = true;
    from_ = from;
    next_ = std::move(next);
    emit changed();
}

} // namespace chimewick
