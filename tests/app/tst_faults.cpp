// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Clock.h"
#include "ClockText.h"
#include "Engine.h"
#include "Playback.h"
#include "QtControls.h"
#include "QtForm.h"
#include "ScheduleSlots.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

using namespace chimewick;

namespace {

// A school's folder as it may really be named: blanks, '#', '%' and letters beyond ASCII.
const QString HostileFolder = QStringLiteral("École #5 100% bells");

bool noDialogOpen() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(w) && w->isVisible())
            return false;
    return true;
}

// The real controls, noting every path the engine hands the player.
class PlayerPathSpy : public Controls {
public:
    explicit PlayerPathSpy(Controls& inner) : inner_(inner) {}
    int checkValue(std::string_view n) const override { return inner_.checkValue(n); }
    void setCheckValue(std::string_view n, int v) override { inner_.setCheckValue(n, v); }
    std::string text(std::string_view n) const override { return inner_.text(n); }
    void setText(std::string_view n, std::string_view t) override { inner_.setText(n, t); }
    void setBackColor(std::string_view n, Color c) override { inner_.setBackColor(n, c); }
    void setEnabled(std::string_view n, bool e) override { inner_.setEnabled(n, e); }
    void setPlayerUrl(std::string_view n, std::string_view path) override {
        rings.emplace_back(path);
        inner_.setPlayerUrl(n, path);
    }
    std::vector<std::string> rings;

private:
    Controls& inner_;
};

} // namespace

// The whole program, window, engine, real clock and real player, in a folder with a
// hostile name where some recordings are broken.
class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString folder_;
    std::unique_ptr<QtForm> form_;
    std::unique_ptr<QtControls> controls_;
    std::unique_ptr<PlayerPathSpy> spy_;
    SystemClock clock_;
    std::unique_ptr<Engine> engine_;

    QString shownTime() const { return QString::fromStdString(controls_->text("Text1")); }

    // Ticks the first slot for the second after next and waits for it to ring.
    void expectAScheduledBellToRing() {
        const Instant due = clock_.now() + std::chrono::seconds(2);
        controls_->setText("T1", clockText(clock_.toLocal(due)));
        controls_->setCheckValue("C1", 1);
        const std::size_t rungBefore = spy_->rings.size();
        QTRY_VERIFY_WITH_TIMEOUT(spy_->rings.size() > rungBefore, 4000);
        QCOMPARE(QString::fromStdString(spy_->rings.back()),
                 folder_ + QStringLiteral("/BellStart.wma"));
        QCOMPARE(spy_->rings.size(), rungBefore + 1);
        QTRY_COMPARE_WITH_TIMEOUT(form_->player()->playback()->state(),
                                  chimewick::PlayState::Playing, 3000);
    }

private slots:
    void initTestCase() {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QVERIFY(root_.isValid());
        QVERIFY(QDir(root_.path()).mkdir(HostileFolder));
        folder_ = root_.filePath(HostileFolder);
        const QDir sounds(QStringLiteral(CHIMEWICK_SOUNDS_DIR));
        for (const QString& name : sounds.entryList({"*.wma", "*.mp3", "*.wav"}, QDir::Files))
            QVERIFY(QFile::copy(sounds.filePath(name), folder_ + "/" + name));

        form_ = std::make_unique<QtForm>();
        controls_ = std::make_unique<QtControls>(*form_);
        spy_ = std::make_unique<PlayerPathSpy>(*controls_);
        engine_ = std::make_unique<Engine>(*spy_, clock_, [this] { return folder_.toStdString(); });
        form_->start(engine_->actions());
        // The built-in timetable runs on the real clock: a school bell due while the
        // test runs would be taken for the test's own.
        for (const ScheduleSlot& slot : scheduleSlots())
            controls_->setCheckValue(slot.checkBox, 0);
    }

    void aGoodBellPlaysFromAHostileFolder() {
        QTest::mouseClick(form_->widget("Command23"), Qt::LeftButton);
        QCOMPARE(form_->player()->url(), folder_ + QStringLiteral("/BellStart.wma"));
        QTRY_COMPARE_WITH_TIMEOUT(form_->player()->playback()->state(),
                                  chimewick::PlayState::Playing, 3000);
    }

    void brokenBells_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing") << "cmd"
                                 << "belle.wma"
                                 << "remove";
        QTest::newRow("zero bytes") << "cmd15"
                                    << "cm.wma"
                                    << "empty";
        QTest::newRow("truncated") << "cmd2"
                                   << "mpoojawa.wma"
                                   << "truncate";
        QTest::newRow("random bytes") << "cmd5"
                                      << "pgee.mp3"
                                      << "random";
        QTest::newRow("unreadable") << "cmdgt"
                                    << "gt.wma"
                                    << "unreadable";
        QTest::newRow("a folder") << "Command9"
                                  << "pg.mp3"
                                  << "folder";
    }
    void brokenBells() {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(QString, damage);
        const QString path = folder_ + "/" + file;
        QFile f(path);
        if (damage == "remove") {
            QVERIFY(f.remove());
        } else if (damage == "empty") {
            QVERIFY(f.resize(0));
        } else if (damage == "truncate") {
            QVERIFY(f.resize(f.size() / 8));
        } else if (damage == "random") {
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QByteArray noise(20000, '\0');
            for (char& c : noise)
                c = static_cast<char>(QRandomGenerator::global()->bounded(256));
            f.write(noise);
            f.close();
        } else if (damage == "unreadable") {
            QVERIFY(f.setPermissions(QFileDevice::Permissions()));
            if (f.open(QIODevice::ReadOnly))
                QSKIP("running with the right to read any file: an unreadable file cannot be made");
        } else if (damage == "folder") {
            QVERIFY(f.remove());
            QVERIFY(QDir(folder_).mkdir(file));
        }

        const QString before = shownTime();
        QTest::mouseClick(form_->widget(button.toStdString()), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form_->player()->displayText().contains(file), 5000);
        QVERIFY(noDialogOpen());
        // The clock goes on and a bell due later still rings.
        QTRY_VERIFY_WITH_TIMEOUT(shownTime() != before, 2500);
        expectAScheduledBellToRing();
        QVERIFY(noDialogOpen());
    }

    // A megabyte pasted into any text box is cut to the box's limit, so the window stays
    // quick to edit and repaint, and goes on ticking.
    void megabytePaste_data() {
        QTest::addColumn<QString>("box");
        for (const char* name : {"T1", "Text7", "Text10", "T15", "txtgt", "Text1", "Text2"})
            QTest::newRow(name) << name;
    }
    void megabytePaste() {
        QFETCH(QString, box);
        QWidget* w = form_->widget(box.toStdString());
        const QString megabyte(1 << 20, QLatin1Char('7'));
        QApplication::clipboard()->setText(megabyte);
        w->setFocus();
        QElapsedTimer took;
        took.start();
        QTest::keySequence(w, QKeySequence::Paste);
        QApplication::processEvents();
        qInfo("pasting a megabyte into %s took %lld ms", qPrintable(box), took.elapsed());
        constexpr int Limit = 8192;
        if (auto* line = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(line->text().size(), Limit);
        } else {
            auto* multi = qobject_cast<QPlainTextEdit*>(w);
            QVERIFY(multi);
            QVERIFY(multi->toPlainText().size() <= Limit);
            QVERIFY(multi->toPlainText().size() >= Limit - 64); // the credit note's own lines stay
        }
        took.restart();
        QTest::keyClick(w, Qt::Key_Backspace);
        QApplication::processEvents();
        qInfo("a keystroke after it took %lld ms", took.elapsed());
        const QString before = shownTime();
        QTRY_VERIFY_WITH_TIMEOUT(shownTime() != before, 2500);
        if (box != QLatin1String("Text1") && box != QLatin1String("Text2"))
            controls_->setText(box.toStdString(), "01:00:00 AM");
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
