#pragma once

#include <chrono>
#include <utility>
#include <vector>

namespace chimewick {

using Seconds = std::chrono::sys_seconds;

// A moment as the wall clock of this computer shows it.
struct LocalTime {
    std::chrono::year_month_day date;
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;

    // 1 for Sunday to 7 for Saturday.
    int weekday() const;
};

// Where the program learns the time. Seconds are counted on the system clock (UTC), so
// they run on through a daylight-saving change; each is turned into local time only
// where it is shown or compared.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Seconds now() const = 0;
    virtual LocalTime toLocal(Seconds moment) const = 0;

    LocalTime localNow() const { return toLocal(now()); }
};

// The computer's clock and time zone.
class SystemClock : public Clock {
public:
    Seconds now() const override;
    LocalTime toLocal(Seconds moment) const override;
};

// A clock that moves only when told, with a time zone of the test's making.
class FakeClock : public Clock {
public:
    // Starts at the given local time under a UTC offset of zero.
    FakeClock(int year, unsigned month, unsigned day, int hour, int minute, int second);

    Seconds now() const override { return now_; }
    LocalTime toLocal(Seconds moment) const override;

    void set(Seconds moment) { now_ = moment; }
    // Sets the clock so that local time shows the given moment (under the offset in force).
    void setLocal(int year, unsigned month, unsigned day, int hour, int minute, int second);
    void advance(std::chrono::seconds by) { now_ += by; }
    void advanceSecond() { advance(std::chrono::seconds(1)); }
    void advanceMinute() { advance(std::chrono::minutes(1)); }
    void advanceDay() { advance(std::chrono::days(1)); }

    // From the given moment on, local time is UTC plus the offset.
    void setUtcOffsetFrom(Seconds from, std::chrono::seconds offset);

    std::chrono::seconds utcOffsetAt(Seconds moment) const;

private:
    Seconds now_;
    std::vector<std::pair<Seconds, std::chrono::seconds>> offsets_; // sorted by moment
};

// Local time of a moment under a fixed offset from UTC.
LocalTime localTimeAt(Seconds moment, std::chrono::seconds utcOffset);

} // namespace chimewick
