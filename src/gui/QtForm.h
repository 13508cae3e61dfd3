// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ActionTable.h"
#include "SecondTimer.h"
#include "WindowDescription.h"

#include <QPointer>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>

namespace chimewick {

class BellPlayer;

// The main window, built from the window description: every control at its place and
// size, with its caption, colours, font and tab order. Its events run the actions named
// in the description's bindings; a failing action is reported, never fatal.
class QtForm : public QWidget {
    Q_OBJECT
public:
    explicit QtForm(QWidget* parent = nullptr);
    ~QtForm() override;

    // The widget of a control; throws ControlError when there is none of that name.
    QWidget* widget(std::string_view name) const;
    BellPlayer* player() const;

    // Binds every event of the description to its action and runs the load action,
    // before the window is first shown; then shows it centred on its screen with the
    // focus in the first control, and starts the clock's timer. The form dispatches
    // through the table for as long as it lives, so the table must outlive the form: a
    // temporary is refused.
    void start(const ActionTable& actions);
    void start(const ActionTable&&) = delete;

    // Where failures of actions and of the player are reported besides standard error.
    void report(const std::string& message);

    // The clock's timer, which runs the timer action just after each whole second.
    SecondTimer& secondTimer() { return secondTimer_; }

protected:
    bool event(QEvent* event) override;

private:
    void buildControls();
    QWidget* makeControl(const ControlSpec& c, QWidget* parent);
    void nameCaptionlessBoxes();
    void buildTabOrder();
    void bind(const ActionTable& actions);
    void showCentred();
    void centreFrame();
    void dispatch(std::string_view action);

    std::map<std::string, QPointer<QWidget>, std::less<>> widgets_;
    QPointer<BellPlayer> player_;
    const ActionTable* actions_ = nullptr;
    std::string timerAction_;
    SecondTimer secondTimer_;
    bool awaitingFrame_ = false; // centred once more when the window manager adds its frame
};

} // namespace chimewick
