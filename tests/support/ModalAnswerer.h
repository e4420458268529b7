#pragma once
// Answers the modal windows a test opens: message boxes, the score sheet, the options
// dialog. While it lives, a timer looks every few milliseconds for the active modal
// widget and hands each new showing of one to the answer, which closes it (accept,
// reject, a click on a button). The timer runs inside the modal's own event loop, so
// the code under test simply sees the window closed by its user.
//
//     ModalAnswerer answer([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
//     dialog.exec();
//     EXPECT_EQ(answer.Count(), 1);
//
// A modal that the answer leaves open for more than two seconds is closed by force and
// reported as a test failure, so a forgotten window cannot hang the test run. An answer
// may itself open a modal (a message box after OK); that one is answered in turn.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

#include <gtest/gtest.h>

class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget* Modal)>;

    explicit ModalAnswerer(Answer Respond, int IntervalMs = 5) : FAnswer(std::move(Respond))
    {
        FTimer.setInterval(IntervalMs);
        QObject::connect(&FTimer, &QTimer::timeout, this, [this] { Look(); });
        FTimer.start();
    }
    ~ModalAnswerer() override
    {
        FTimer.stop();
        for (const QPointer<QObject>& open : FOpen)
            if (open)
                open->removeEventFilter(this);
    }
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    // How many showings of modal windows have been answered.
    int Count() const { return FCount; }
    // The window title of each answered modal, in order, as it was when it was answered.
    const QStringList& Titles() const { return FTitles; }
    // The text of each answered message box (empty for other modals).
    const QStringList& Texts() const { return FTexts; }

    // Ready-made answers.
    static Answer Accept()
    {
        return [](QWidget* modal) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->accept();
            else
                modal->close();
        };
    }
    static Answer Reject()
    {
        return [](QWidget* modal) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        };
    }
    // Clicks the given standard button of a message box (Yes, No, Ok, ...).
    static Answer Click(QMessageBox::StandardButton Which)
    {
        return [Which](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box && box->button(Which))
                box->button(Which)->click();
            else
                ADD_FAILURE() << "expected a message box with that button, got "
                              << modal->metaObject()->className();
        };
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        // Once hidden, the next showing of the same window is a new one to answer.
        if (Event->type() == QEvent::Hide && FOpen.removeAll(QPointer<QObject>(Watched)) > 0) {
            Watched->removeEventFilter(this);
            if (Watched == FAnswered)
                FAnswered = nullptr;
        }
        return false;
    }

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (modal == FAnswered) {
            if (FSince.elapsed() > 2000) {
                ADD_FAILURE() << "modal window \"" << modal->windowTitle().toStdString()
                              << "\" was left open by the answer; closing it";
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else
                    modal->close();
            }
            return;
        }
        // A window answered before and still open (an options dialog under the error box
        // its OK raised) comes back to the top when the later one closes: it was answered.
        if (FOpen.contains(QPointer<QObject>(modal)))
            return;
        FAnswered = modal;
        FOpen << modal;
        modal->installEventFilter(this);
        FSince.start();
        ++FCount;
        FTitles << modal->windowTitle();
        auto* box = qobject_cast<QMessageBox*>(modal);
        FTexts << (box ? box->text() : QString());
        // Answer from a call of its own, not from this timer's handler: an answer that
        // opens another modal (OK that reports an error) would otherwise block the only
        // timer that can answer it.
        QMetaObject::invokeMethod(
            this,
            [this, target = QPointer<QWidget>(modal)] {
                if (target)
                    FAnswer(target);
            },
            Qt::QueuedConnection);
    }

    Answer FAnswer;
    QTimer FTimer;
    QPointer<QWidget> FAnswered;
    QList<QPointer<QObject>> FOpen; // answered and not hidden since
    QElapsedTimer FSince;
    int FCount = 0;
    QStringList FTitles;
    QStringList FTexts;
};
