// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QPushButton>
#include <optional>

namespace chimewick {

// A command button whose caption wraps onto a second line when it is too wide, as the
// old platform's buttons did. A button given a face colour is drawn flat in exactly that
// colour, with a thin raised border; one without keeps the style's look.
class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

    void setFaceColor(const QColor& color);

    // The rectangle the caption is drawn in, and the flags it is drawn with.
    QRect captionRect() const;
    static constexpr int CaptionFlags = Qt::AlignCenter | Qt::TextWordWrap;

    // The caption's colour on a disabled face: a grey that still reads against it.
    static QColor disabledCaptionColor(const QColor& face);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintFlatFace(QPainter& painter, const QColor& face) const;
    // Black or white on a face of the table, whichever reads better; the palette's otherwise.
    QColor captionColor() const;

    std::optional<QColor> face_;
};

} // namespace chimewick
