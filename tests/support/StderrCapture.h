// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

// Collects what the process writes to standard error while it lives, so that the
// program's own lines can be read and counted. Without the program's main, a line reads
// "chimewick.player: ..." (its library's category); it is read as the program shows it,
// "chimewick: ...".
class StderrCapture {
public:
    StderrCapture() {
        file_.open();
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // The program's lines so far; standard error goes back where it was.
    QStringList lines() {
        restore();
        return peek();
    }

    // The program's lines so far, still capturing: for waiting on a line to come.
    QStringList peek() {
        std::fflush(stderr);
        file_.seek(0);
        QStringList found;
        static const QRegularExpression category(QStringLiteral("^chimewick\\.[a-z]+: "));
        for (const QByteArray& line : file_.readAll().split('\n')) {
            QString text = QString::fromLocal8Bit(line);
            if (text.contains(category))
                found << text.replace(category, QStringLiteral("chimewick: "));
        }
        return found;
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    QTemporaryFile file_;
    int saved_ = -1;
};
