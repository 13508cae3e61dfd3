// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "CaptionButton.h"
#include "Engine.h"
#include "FakeClock.h"
#include "QtControls.h"
#include "QtForm.h"
#include "ReferenceTables.h"
#include "ScheduleSlots.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

using namespace chimewick;

namespace {

// Where each container's outer corner lies in the window, in pixels, worked out by hand
// from the frames' places: Frame4 sits inside Frame3.
const std::map<std::string_view, QPoint> ContainerOrigin{{"Form1", {0, 0}},
                                                         {"Frame1", {8, 0}},
                                                         {"Frame3", {504, 0}},
                                                         {"Frame4", {512, 136}},
                                                         {"Frame2", {8, 424}}};

// An action table with a do-nothing action for every bound event, but those given.
ActionTable tableWith(std::map<std::string, ActionTable::Action> overrides) {
    ActionTable table;
    for (const EventBinding& b : form1Bindings()) {
        auto it = overrides.find(std::string(b.action));
        table.add(
            std::string(b.action), it != overrides.end() ? it->second : [] {});
    }
    return table;
}

// The form dispatches through its table on every tick: a table that dies first is refused.
template<typename Table>
concept StartsWithTemporary = requires(QtForm& form) {
    form.start(Table{});
};
static_assert(!StartsWithTemporary<ActionTable>);

// qt6ct's "darker" scheme, one a KDE or GNOME user may choose: light text on dark faces.
QPalette darkPalette() {
    QPalette palette(QColor("#424245"), QColor("#222020")); // button, window
    palette.setColor(QPalette::Base, QColor("#3d3d3d"));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, Qt::white);
    return palette;
}

// WCAG 2's relative luminance of an sRGB colour and the contrast ratio of two, written out here
// rather than taken from the window's own: a fault there would otherwise measure itself fine.
double relativeLuminance(const QColor& c) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString focusName() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

} // namespace

class TestQtForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); } // as the program does

    void window() {
        QtForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("School Chimewick - Quelbrook"));
        QCOMPARE(form.size(), QSize(790, 540));
        QCOMPARE(form.findChildren<QWidget*>().size() >= 112, true);
        auto* clock = qobject_cast<QLineEdit*>(form.widget("Text1"));
        QVERIFY(clock);
        QCOMPARE(clock->text(), QString());
        QCOMPARE(clock->font().pointSize(), 24);
        QCOMPARE(clock->font().weight(), QFont::Bold);
        QCOMPARE(clock->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        // The widest clock text must show whole in the clock display.
        QVERIFY(clock->fontMetrics().horizontalAdvance(QStringLiteral("12:00:00 PM")) <=
                clock->width() - 4);
        QCOMPARE(form.widget("T1")->palette().color(QPalette::Base), QColor(255, 255, 255));
        QCOMPARE(form.widget("Text3")->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(form.widget("Text5")->palette().color(QPalette::Base), QColor(255, 0, 0));
        QVERIFY(!form.widget("Command1")->isEnabled());
        QVERIFY(!form.widget("Command6")->isEnabled());
        QCOMPARE(form.widget("C1")->accessibleName(), QStringLiteral("School Start"));
        QCOMPARE(form.widget("Text3")->accessibleName(), QStringLiteral("Teaching Start (M/T)"));
        QCOMPARE(form.widget("txtgt")->accessibleName(), QStringLiteral("Green Time"));
    }

    void absolutePlaces_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("expected");
        // A sample worked out by hand, one or more from each container.
        QTest::newRow("Frame1") << "Frame1" << QRect(8, 0, 489, 417);
        QTest::newRow("Frame4") << "Frame4" << QRect(512, 136, 265, 201);
        QTest::newRow("T1") << "T1" << QRect(160, 16, 81, 19);
        QTest::newRow("Text1") << "Text1" << QRect(24, 288, 217, 43);
        QTest::newRow("csi") << "csi" << QRect(32, 352, 17, 17);
        QTest::newRow("T15") << "T15" << QRect(400, 296, 81, 19);
        QTest::newRow("wmp") << "wmp" << QRect(512, 16, 257, 113);
        QTest::newRow("cmdgt") << "cmdgt" << QRect(520, 224, 185, 33);
        QTest::newRow("Command22") << "Command22" << QRect(680, 264, 89, 65);
        QTest::newRow("Command19") << "Command19" << QRect(544, 488, 73, 41);
        QTest::newRow("cmd15") << "cmd15" << QRect(568, 440, 49, 41);
        QTest::newRow("Command24") << "Command24" << QRect(648, 360, 129, 41);
        QTest::newRow("Text2") << "Text2" << QRect(640, 432, 145, 105);
    }
    void absolutePlaces() {
        QFETCH(QString, control);
        QFETCH(QRect, expected);
        QtForm form;
        QWidget* w = form.widget(control.toStdString());
        QCOMPARE(QRect(w->mapTo(&form, QPoint(0, 0)), w->size()), expected);
    }

    void everyControlAtItsPlace() {
        QtForm form;
        int placed = 0;
        for (const ControlSpec& c : form1Controls()) {
            if (!c.rect)
                continue;
            const QPoint origin = ContainerOrigin.at(c.container);
            const QRect expected(origin.x() + c.rect->left / 15, origin.y() + c.rect->top / 15,
                                 c.rect->width / 15, c.rect->height / 15);
            QWidget* w = form.widget(c.name);
            QCOMPARE(QRect(w->mapTo(&form, QPoint(0, 0)), w->size()), expected);
            ++placed;
        }
        QCOMPARE(placed, 112); // every control but the timer
    }

    void captionsReadWhole() {
        QtForm form;
        for (auto* button : form.findChildren<CaptionButton*>()) {
            const QRect room = button->captionRect();
            const QRect needed = button->fontMetrics().boundingRect(
                room, CaptionButton::CaptionFlags, button->text());
            QVERIFY2(room.contains(needed),
                     qPrintable(button->objectName() + " cuts off " + button->text()));
        }
        for (auto* label : form.findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->objectName().startsWith(QLatin1String("Label")))
                continue;
            // Where a time box overlaps the label, only the part left of it shows.
            int visible = label->width();
            for (auto* box :
                 label->parentWidget()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
                if (box->geometry().intersects(label->geometry()))
                    visible = std::min(visible, box->x() - label->x());
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= visible,
                     qPrintable(label->objectName() + " cuts off " + label->text()));
        }
        auto* active = qobject_cast<QCheckBox*>(form.widget("ck4"));
        QStyleOptionButton option;
        option.initFrom(active);
        option.text = active->text();
        const QRect room =
            active->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, active);
        QVERIFY(active->fontMetrics().horizontalAdvance(active->text()) <= room.width());
    }

    // Each coloured button's face shows its exact colour; a disabled one keeps its face
    // and a caption that still reads.
    void colouredFacesAreFlat_data() {
        QTest::addColumn<QString>("button");
        for (const ControlSpec& c : form1Controls())
            if (c.kind == ControlKind::CommandButton && c.backColor)
                QTest::newRow(c.name.data())
                    << QString::fromUtf8(c.name.data(), qsizetype(c.name.size()));
    }
    void colouredFacesAreFlat() {
        QFETCH(QString, button);
        QtForm form;
        const ControlSpec& described = findControl(button.toStdString());
        const QColor face(redOf(*described.backColor), greenOf(*described.backColor),
                          blueOf(*described.backColor));
        QWidget* w = form.widget(described.name);
        const QImage shot = w->grab().toImage();
        const QRect inner =
            QRect(QPoint(0, 0), w->size()).adjusted(1, 1, -1, -1); // inside the border
        int same = 0;
        double captionContrast = 1;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                if (pixel.rgb() == face.rgb())
                    ++same;
                else
                    captionContrast = std::max(captionContrast, contrastRatio(pixel, face));
            }
        QVERIFY2(
            same * 4 > inner.width() * inner.height() * 3,
            qPrintable(QString("%1 of %2 pixels").arg(same).arg(inner.width() * inner.height())));
        QVERIFY2(captionContrast >= 3, qPrintable(QString::number(captionContrast)));
        QCOMPARE(w->isEnabled(), described.enabled);
    }

    // On the light palette and a dark one, the text on every face the table colours reads:
    // 4.5:1 against its face, 3:1 on a disabled button and for the player's icons, which
    // follow the palette. Measured on the drawn pixels: each pixel the text or icon changes,
    // against the same pixel drawn without it.
    void contentReadsOnEveryFace_data() {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("control");
        for (const bool dark : {false, true}) {
            const char* scheme = dark ? "dark" : "light";
            for (const ControlSpec& c : form1Controls()) {
                // Labels and captions take their face from their frame.
                const bool onColouredFrame =
                    (c.kind == ControlKind::Label || c.kind == ControlKind::CheckBox) &&
                    !c.caption.empty() && c.container != "Form1" &&
                    findControl(c.container).backColor;
                if ((c.backColor && c.kind != ControlKind::Frame) || onColouredFrame)
                    QTest::addRow("%s %s", scheme, c.name.data())
                        << dark << QString::fromUtf8(c.name.data(), qsizetype(c.name.size()));
            }
            QTest::addRow("%s rung T8", scheme) << dark << "T8"; // turned green by the tick
            for (const char* icon : {"play", "stop", "mute"})
                QTest::addRow("%s %s", scheme, icon) << dark << icon;
        }
    }
    void contentReadsOnEveryFace() {
        QFETCH(bool, dark);
        QFETCH(QString, control);
        const QPalette light = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
        if (dark)
            QApplication::setPalette(darkPalette());
        QtForm form;
        QtControls(form).setBackColor("T8", HighlightGreen);
        const qsizetype icon = QStringList{"play", "stop", "mute"}.indexOf(control);
        QWidget* w = icon < 0 ? form.widget(control.toStdString())
                              : form.player()->findChildren<QToolButton*>().at(icon);
        const QString own = w->property("text").toString();
        if (icon < 0) // the clock is empty until the first tick
            w->setProperty("text", own.isEmpty() ? QStringLiteral("12:00:00 PM") : own);
        else // enabled: a disabled icon is greyed on purpose
            qobject_cast<QToolButton*>(w)->defaultAction()->setEnabled(true);
        const QImage withContent = w->grab().toImage();
        QPixmap none(64, 64);
        none.fill(Qt::transparent);
        if (icon < 0)
            w->setProperty("text", QString());
        else
            qobject_cast<QToolButton*>(w)->defaultAction()->setIcon(QIcon(none));
        const QImage without = w->grab().toImage();
        double ratio = 1;
        for (int y = 0; y < withContent.height(); ++y)
            for (int x = 0; x < withContent.width(); ++x)
                ratio = std::max(
                    ratio, contrastRatio(withContent.pixelColor(x, y), without.pixelColor(x, y)));
        QVERIFY2(ratio >= (w->isEnabled() && icon < 0 ? 4.5 : 3),
                 qPrintable(QString::number(ratio)));
    }

    void tabWalk() {
        bool locked = true;
        QtForm form;
        QtControls controls(form);
        ActionTable actions = tableWith({{"ck4_Click", [&] {
                                              locked = controls.checkValue("ck4") == 0;
                                              controls.setEnabled("Command1", !locked);
                                              controls.setEnabled("Command6", !locked);
                                          }}});
        form.start(actions);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(focusName(), QStringLiteral("T1"));
        const QStringList firstStops{"T2", "T8", "T7", "T4", "T3", "T6", "T5", "C1", "C2"};
        for (const QString& expected : firstStops) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(focusName(), expected);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(focusName(), QStringLiteral("C1"));

        // Locked: the two special-day buttons are passed over.
        form.widget("Text1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("wmp"));
        form.widget("txtgt")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("cmdgt"));

        QTest::mouseClick(form.widget("ck4"), Qt::LeftButton);
        QVERIFY(!locked);
        form.widget("Text1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        form.widget("txtgt")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("Command6"));
    }

    void loadRunsBeforeTheWindowShows() {
        QtForm form;
        int loads = 0;
        bool visibleAtLoad = true;
        ActionTable actions = tableWith({{"Form_Load", [&] {
                                              ++loads;
                                              visibleAtLoad = form.isVisible();
                                          }}});
        form.start(actions);
        QCOMPARE(loads, 1);
        QVERIFY(!visibleAtLoad);
        QVERIFY(form.isVisible());
    }

    void centredAndFixedInPlace() {
        QtForm form;
        const ActionTable actions = tableWith({});
        form.start(actions);
        const QPoint screenCentre = form.screen()->availableGeometry().center();
        QVERIFY((form.geometry().center() - screenCentre).manhattanLength() <= 2);

        std::map<QString, QRect> before;
        for (auto* w : form.findChildren<QWidget*>())
            before[w->objectName()] = w->geometry();
        for (const QSize size : {QSize(1200, 900), QSize(300, 200)}) {
            form.resize(size);
            QApplication::processEvents();
            for (const ControlSpec& c : form1Controls())
                if (c.rect)
                    QCOMPARE(form.widget(c.name)->geometry(),
                             before[QString::fromUtf8(c.name.data(), qsizetype(c.name.size()))]);
        }
    }

    void bellButtonsHandThePlayerTheirPath_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        for (const auto& bell : chimewick::testing::ReferenceBells)
            QTest::newRow(bell.button) << bell.button << QString::fromUtf8(bell.fileName + 1);
    }
    void bellButtonsHandThePlayerTheirPath() {
        QFETCH(QString, button);
        QFETCH(QString, file);
        const QString folder = QStringLiteral("/opt/school bells #1");
        QtForm form;
        QtControls controls(form);
        FakeClock clock(2026, 12, 5, 9, 0, 0); // a Saturday: the load changes nothing
        Engine engine(controls, clock, [&] { return folder.toStdString(); });
        form.start(engine.actions());
        QTest::mouseClick(form.widget(button.toStdString()), Qt::LeftButton);
        QCOMPARE(form.player()->url(), folder + "/" + file);
    }

    void lockOpensAndClosesThroughTheWindow() {
        QtForm form;
        QtControls controls(form);
        FakeClock clock(2026, 12, 7, 9, 0, 0);
        Engine engine(controls, clock, [] { return std::string("/tmp"); });
        form.start(engine.actions());
        QTest::mouseClick(form.widget("ck4"), Qt::LeftButton);
        QVERIFY(form.widget("Command1")->isEnabled());
        QVERIFY(form.widget("Command6")->isEnabled());
        QTest::mouseClick(form.widget("Command6"), Qt::LeftButton);
        QCOMPARE(controls.text("T15"), std::string("02:28:01 PM"));
        QTest::mouseClick(form.widget("ck4"), Qt::LeftButton);
        QVERIFY(!form.widget("Command1")->isEnabled());
        QVERIFY(!form.widget("Command6")->isEnabled());
    }

    void aFailingActionLeavesTheProgramRunning() {
        QtForm form;
        int ticks = 0;
        int otherClicks = 0;
        ActionTable actions =
            tableWith({{"cmd1_Click", [] { throw std::runtime_error("the folder vanished"); }},
                       {"cmd_Click", [&] { ++otherClicks; }},
                       {"Timer1_Timer", [&] { ++ticks; }}});
        form.start(actions);
        QTest::mouseClick(form.widget("cmd1"), Qt::LeftButton);
        QVERIFY(form.player()->displayText().contains(QStringLiteral("the folder vanished")));
        QVERIFY(form.isVisible());
        QTest::mouseClick(form.widget("cmd"), Qt::LeftButton);
        QCOMPARE(otherClicks, 1);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 3500);
    }

    void aBrokenBellLeavesTheClockTicking() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QFile corrupt(folder.filePath(QStringLiteral("bell.mp3")));
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(QByteArray(4096, '\x5a'));
        corrupt.close();

        QtForm form;
        QtControls controls(form);
        SystemClock clock;
        Engine engine(controls, clock, [&] { return folder.path().toStdString(); });
        form.start(engine.actions());
        // A school bell due on the real clock would replace what the display reports.
        for (const ScheduleSlot& slot : scheduleSlots())
            controls.setCheckValue(slot.checkBox, 0);
        QTest::mouseClick(form.widget("cmd1"), Qt::LeftButton); // corrupt
        QTRY_VERIFY_WITH_TIMEOUT(form.player()->displayText().contains(QStringLiteral("bell.mp3")),
                                 5000);
        QTest::mouseClick(form.widget("cmd"), Qt::LeftButton); // missing
        QTRY_VERIFY_WITH_TIMEOUT(form.player()->displayText().contains(QStringLiteral("belle.wma")),
                                 5000);
        const QString shown = controls.text("Text1").c_str();
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromStdString(controls.text("Text1")) != shown, 2500);
    }

    void controlOperationsOnRealWidgets() {
        QtForm form;
        QtControls controls(form);
        const std::string note(findControl("Text2").caption);
        QVERIFY(note.find("\r\n") != std::string::npos);
        QCOMPARE(controls.text("Text2"), note); // line ends survive the editor
        controls.setText("Text2", "one\r\ntwo\r\n");
        QCOMPARE(controls.text("Text2"), std::string("one\r\ntwo\r\n"));

        controls.setText("T2", "07:26:01 AM");
        QVERIFY(controls.textEquals("T2", "07:26:01 AM"));
        QVERIFY(!controls.textEquals("T2", "07:26:01 AM "));
        controls.setText("T2", "Pāsala ශ්‍රී");
        QCOMPARE(controls.text("T2"), std::string("Pāsala ශ්‍රී"));

        controls.setBackColor("T2", HighlightGreen);
        QCOMPARE(form.widget("T2")->palette().color(QPalette::Base), QColor(0, 255, 0));
        controls.setCheckValue("C2", 1);
        QCOMPARE(controls.checkValue("C2"), 1);
        QVERIFY(qobject_cast<QCheckBox*>(form.widget("C2"))->isChecked());
        controls.setEnabled("Command1", true);
        QVERIFY(form.widget("Command1")->isEnabled());

        QVERIFY_THROWS_EXCEPTION(ControlError, controls.text("C1"));
        QVERIFY_THROWS_EXCEPTION(ControlError, controls.checkValue("T1"));
        QVERIFY_THROWS_EXCEPTION(ControlError, controls.setEnabled("Label1", true));
        QVERIFY_THROWS_EXCEPTION(ControlError, controls.setPlayerUrl("Text1", "/x.wma"));
        QVERIFY_THROWS_EXCEPTION(ControlError, controls.setText("T16", "x"));
        QVERIFY_THROWS_EXCEPTION(ControlError, controls.setCheckValue("C1", 2));
    }

    // Typing stops at the boxes' limit of 8192 characters, as pasting does.
    void typingStopsAtTheLimit_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("time box") << "T1";
        QTest::newRow("note") << "Text2";
    }
    void typingStopsAtTheLimit() {
        QFETCH(QString, box);
        QtForm form;
        QtControls controls(form);
        controls.setText(box.toStdString(), std::string(8190, '7'));
        QWidget* w = form.widget(box.toStdString());
        w->setFocus();
        QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(w, QStringLiteral("abc"));
        QTest::keyClick(w, Qt::Key_Return);
        const std::string text = controls.text(box.toStdString());
        QCOMPARE(text.size(), std::size_t{8192});
        QCOMPARE(text.substr(8188), std::string("77ab"));
    }

    // The timer is armed for the rest of the second at start and again at every tick, on
    // whatever clock it is handed: a plain period would drift off the second.
    void timerReArmsForTheRestOfEachSecond_data() {
        QTest::addColumn<int>("startMs");
        QTest::addColumn<int>("tickMs");
        QTest::newRow("late start, early tick") << 998 << 250;
        QTest::newRow("early start, late tick") << 995 << 900;
        QTest::newRow("on the second") << 999 << 0;
    }
    void timerReArmsForTheRestOfEachSecond() {
        QFETCH(int, startMs);
        QFETCH(int, tickMs);
        constexpr std::int64_t second = 1'700'000'000'000;
        std::int64_t now = second + startMs;
        int ticks = 0;
        const ActionTable table = tableWith({{"Timer1_Timer", [&ticks] { ++ticks; }}});
        QtForm form;
        form.secondTimer().setWallClock([&now] { return now; });
        form.start(table);
        QCOMPARE(form.secondTimer().interval(), 1000 - startMs + 2);
        now = second + 1000 + tickMs;
        QTRY_COMPARE(ticks, 1);
        QCOMPARE(form.secondTimer().interval(), 1000 - tickMs + 2);
    }
};

QTEST_MAIN(TestQtForm)
#include "tst_qtform.moc"
