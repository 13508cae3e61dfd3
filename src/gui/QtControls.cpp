// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtControls.h"

#include "BellPlayer.h"
#include "Faces.h"
#include "QtForm.h"
#include "WidgetText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace chimewick {

template<typename Widget> Widget* QtControls::as(std::string_view name, ControlKind kind) const {
    requireKind(name, findControl(name).kind, kind);
    auto* w = qobject_cast<Widget*>(form_.widget(name));
    if (!w)
        throw ControlError("control '" + std::string(name) + "' has no widget of its kind");
    return w;
}

int QtControls::checkValue(std::string_view checkBox) const {
    return as<QCheckBox>(checkBox, ControlKind::CheckBox)->isChecked() ? 1 : 0;
}

void QtControls::setCheckValue(std::string_view checkBox, int value) {
    auto* box = as<QCheckBox>(checkBox, ControlKind::CheckBox);
    requireCheckValue(checkBox, value);
    box->setChecked(value == 1);
}

std::string QtControls::text(std::string_view textBox) const {
    if (findControl(textBox).multiLine) {
        return fromEditorText(as<QPlainTextEdit>(textBox, ControlKind::TextBox)->toPlainText());
    }
    return as<QLineEdit>(textBox, ControlKind::TextBox)->text().toStdString();
}

bool QtControls::textEquals(std::string_view textBox, std::string_view expected) const {
    if (findControl(textBox).multiLine)
        return text(textBox) == expected;
    // Compared as UTF-16, without turning a long text into UTF-8 first.
    return as<QLineEdit>(textBox, ControlKind::TextBox)->text() == qs(expected);
}

void QtControls::setText(std::string_view textBox, std::string_view text) {
    if (findControl(textBox).multiLine) {
        as<QPlainTextEdit>(textBox, ControlKind::TextBox)->setPlainText(toEditorText(text));
        return;
    }
    auto* edit = as<QLineEdit>(textBox, ControlKind::TextBox);
    const QString value = qs(text);
    // Rewriting the same text would move the operator's cursor for nothing.
    if (edit->text() != value)
        edit->setText(value);
}

void QtControls::setBackColor(std::string_view textBox, Color color) {
    paintFace(as<QWidget>(textBox, ControlKind::TextBox), color);
}

void QtControls::setEnabled(std::string_view button, bool enabled) {
    as<QPushButton>(button, ControlKind::CommandButton)->setEnabled(enabled);
}

void QtControls::setPlayerUrl(std::string_view player, std::string_view path) {
    as<BellPlayer>(player, ControlKind::MediaPlayer)->setUrl(qs(path));
}

} // namespace chimewick
