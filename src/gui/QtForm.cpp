// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtForm.h"

#include "BellPlayer.h"
#include "CaptionButton.h"
#include "Controls.h"
#include "Dispatch.h"
#include "Faces.h"
#include "GuiLog.h"
#include "PlayerSettings.h"
#include "WidgetText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextOption>
#include <algorithm>
#include <vector>

namespace chimewick {

namespace {

QRect pixelRect(const TwipsRect& r) {
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}

// The face to use where a font is named but missing: a plain sans.
QStringList sansFallbacks() {
    return {"Liberation Sans", "Arimo", "Arial", "DejaVu Sans", "sans-serif"};
}

QFont fontOf(const FontSpec& wanted) {
    QFont font;
    QStringList families{qs(wanted.face)};
    families.append(sansFallbacks());
    font.setFamilies(families);
    font.setPointSize(wanted.points);
    font.setWeight(static_cast<QFont::Weight>(wanted.weight));
    font.setItalic(wanted.italic);
    font.setUnderline(wanted.underline);
    font.setStrikeOut(wanted.strikeOut);
    return font;
}

// Small enough that every caption and label reads whole at the window's fixed sizes.
QFont windowFont() {
    QFont font;
    font.setFamilies(sansFallbacks());
    font.setPixelSize(11);
    return font;
}

// A text box holds at most this many characters. Far more than any time or note a school
// types, and few enough that a box stays quick to edit and repaint: a megabyte pasted by
// mistake would otherwise stall the thread that rings the bells for a second per keystroke.
constexpr int TextBoxLimit = 8192;

// The multi-line box, with pasted and typed text cut to the room left under the limit.
class LimitedTextEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override {
        insertPlainText(source->text().left(room()));
    }

    void keyPressEvent(QKeyEvent* event) override {
        const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const QString typed = newLine ? QStringLiteral("\n") : event->text();
        const bool adds = newLine || (!typed.isEmpty() && typed.front().isPrint());
        if (adds && typed.size() > room() && !(event->modifiers() & Qt::ControlModifier)) {
            insertPlainText(typed.left(room()));
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

private:
    // Characters that may still be added, the selection being replaced by what comes.
    qsizetype room() const {
        const qsizetype kept = toPlainText().size() - textCursor().selectedText().size();
        return std::max<qsizetype>(0, TextBoxLimit - kept);
    }
};

QGroupBox* makeFrame(const ControlSpec& c, QWidget* parent) {
    auto* frame = new QGroupBox(qs(c.caption), parent);
    frame->setFocusPolicy(Qt::NoFocus);
    if (c.backColor)
        paintFace(frame, *c.backColor);
    return frame;
}

CaptionButton* makeButton(const ControlSpec& c, QWidget* parent) {
    auto* button = new CaptionButton(qs(c.caption), parent);
    button->setAutoDefault(false);
    if (c.backColor)
        button->setFaceColor(toQColor(*c.backColor));
    button->setEnabled(c.enabled);
    return button;
}

LimitedTextEdit* makeMultiLineBox(const ControlSpec& c, QWidget* parent) {
    auto* edit = new LimitedTextEdit(parent);
    edit->setPlainText(toEditorText(c.caption));
    edit->document()->setDefaultTextOption(
        QTextOption(c.align == TextAlign::Center ? Qt::AlignHCenter : Qt::AlignLeft));
    edit->setTabChangesFocus(true);
    if (c.backColor)
        paintFace(edit, *c.backColor);
    return edit;
}

QLineEdit* makeLineBox(const ControlSpec& c, QWidget* parent) {
    auto* edit = new QLineEdit(qs(c.caption), parent);
    edit->setMaxLength(TextBoxLimit);
    edit->setAlignment(c.align == TextAlign::Center ? Qt::AlignCenter : Qt::AlignLeft);
    if (c.backColor)
        paintFace(edit, *c.backColor);
    return edit;
}

BellPlayer* makePlayer(QWidget* parent) {
    auto* player = new BellPlayer(decodePlayerSettings(wmpStateRecord()), parent);
    // The player takes the focus at its place in the tab order as one control; its inner
    // buttons and sliders answer the mouse. The display's lines are read out, never focused: a
    // focused line without text would be announced as nothing.
    for (QWidget* child : player->findChildren<QWidget*>())
        if (child->focusPolicy() != Qt::NoFocus)
            child->setFocusPolicy(Qt::ClickFocus);
    player->setFocusPolicy(Qt::StrongFocus);
    return player;
}

} // namespace

QtForm::QtForm(QWidget* parent) : QWidget(parent) {
    const FormSpec& form = form1();
    setObjectName(qs(form.name));
    setWindowTitle(qs(form.caption));
    setFont(windowFont());
    resize(twipsToPixels(form.clientWidthTwips), twipsToPixels(form.clientHeightTwips));
    widgets_.emplace(std::string(form.name), this);
    buildControls();
    buildTabOrder();

    connect(&secondTimer_, &SecondTimer::secondBegun, this, [this] {
        if (!timerAction_.empty())
            dispatch(timerAction_);
    });
}

QtForm::~QtForm() = default;

void QtForm::buildControls() {
    for (const ControlSpec& c : form1Controls()) {
        if (c.kind == ControlKind::Timer)
            continue;
        QWidget* w = makeControl(c, widget(c.container));
        if (c.font)
            w->setFont(fontOf(*c.font));
        w->setObjectName(qs(c.name));
        w->setGeometry(pixelRect(*c.rect));
        widgets_.emplace(std::string(c.name), w);
    }
    nameCaptionlessBoxes();
}

QWidget* QtForm::makeControl(const ControlSpec& c, QWidget* parent) {
    switch (c.kind) {
    case ControlKind::Frame:
        return makeFrame(c, parent);
    case ControlKind::CommandButton:
        return makeButton(c, parent);
    case ControlKind::TextBox:
        if (c.multiLine)
            return makeMultiLineBox(c, parent);
        return makeLineBox(c, parent);
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(qs(c.caption), parent);
        box->setChecked(c.checkValue == 1);
        return box;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(qs(c.caption), parent);
        label->setFocusPolicy(Qt::NoFocus);
        return label;
    }
    case ControlKind::MediaPlayer:
        player_ = makePlayer(parent);
        return player_;
    case ControlKind::Timer:
        break;
    }
    throw ControlError("control '" + std::string(c.name) + "' has no widget");
}

void QtForm::nameCaptionlessBoxes() {
    // A screen reader names a caption-less slot box by its row's label.
    for (const SlotRow& row : form1SlotRows()) {
        const QString name = qs(findControl(row.label).caption);
        widget(row.checkBox)->setAccessibleName(name);
        widget(row.timeBox)->setAccessibleName(name);
    }
    // The boxes that have neither a caption nor a row: otherwise announced by their frame's
    // caption, or not at all.
    for (const auto& [control, name] : {std::pair{"Text1", "Clock"}, std::pair{"Text2", "Note"}})
        widget(control)->setAccessibleName(QString::fromLatin1(name));
}

void QtForm::buildTabOrder() {
    std::vector<std::pair<int, QWidget*>> chain;
    for (const ControlSpec& c : form1Controls()) {
        if (!c.tabIndex || c.kind == ControlKind::Frame || c.kind == ControlKind::Label)
            continue;
        chain.emplace_back(*c.tabIndex, widget(c.name));
    }
    std::sort(chain.begin(), chain.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1].second, chain[i].second);
}

QWidget* QtForm::widget(std::string_view name) const {
    auto it = widgets_.find(name);
    if (it == widgets_.end() || !it->second)
        throw noSuchControl(name);
    return it->second;
}

BellPlayer* QtForm::player() const {
    return player_;
}

void QtForm::start(const ActionTable& actions) {
    bind(actions);
    for (const EventBinding& b : form1Bindings())
        if (b.event == EventKind::Load)
            dispatch(b.action);
    showCentred();
    secondTimer_.start();
}

void QtForm::bind(const ActionTable& actions) {
    actions_ = &actions;
    for (const EventBinding& b : form1Bindings()) {
        actions.find(b.action); // an action missing from the table fails here, at start
        const std::string action(b.action);
        switch (b.event) {
        case EventKind::Load:
            break; // run by start(), once
        case EventKind::Timer:
            timerAction_ = action;
            break;
        case EventKind::Click: {
            QWidget* w = widget(b.control);
            if (auto* box = qobject_cast<QCheckBox*>(w))
                // Every change of the box's value, by mouse or keyboard.
                connect(box, &QCheckBox::toggled, this, [this, action] { dispatch(action); });
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                connect(button, &QAbstractButton::clicked, this,
                        [this, action] { dispatch(action); });
            else
                throw ControlError("control '" + std::string(b.control) + "' takes no clicks");
            break;
        }
        }
    }
}

void QtForm::showCentred() {
    // move() places the frame's corner. Until the window manager has framed the window its
    // frame is not known: centred by the client area first, then again with the frame.
    centreFrame();
    awaitingFrame_ = true;
    show();
    widget("T1")->setFocus(Qt::OtherFocusReason);
}

void QtForm::centreFrame() {
    if (const QScreen* screen = this->screen()) {
        const QSize frame = frameGeometry().size();
        move(screen->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

bool QtForm::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (awaitingFrame_ && isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
         event->type() == QEvent::WindowActivate) &&
        frameGeometry().size() != size()) {
        awaitingFrame_ = false;
        centreFrame();
    }
    return handled;
}

void QtForm::report(const std::string& message) {
    qCWarning(guiLog).noquote() << QString::fromStdString(message);
    if (player_)
        player_->showNotice(QString::fromStdString(message));
}

void QtForm::dispatch(std::string_view action) {
    if (actions_)
        dispatchAction(*actions_, action, [this](const std::string& message) { report(message); });
}

} // namespace chimewick
