// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

namespace chimewick {

// A command button whose caption wraps onto a second line when it is too wide, as the
// old platform's buttons did, and whose face takes the button's back colour.
class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

    // The rectangle the caption is drawn in, and the flags it is drawn with.
    QRect captionRect() const;
    static constexpr int CaptionFlags = Qt::AlignCenter | Qt::TextWordWrap;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace chimewick
