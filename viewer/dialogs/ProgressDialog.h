#pragma once

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <thread>

class QProgressBar;

// Progress of a worker: posted to the progress dialog (or, by the thumbnail run, to the main
// frame) with the position in value().
class ProgressEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 32);
    explicit ProgressEvent(int value) : QEvent(kType), m_value(value) {}
    int value() const { return m_value; }

private:
    int m_value;
};

// The modal window in front of which every worker runs. The user cannot close it; it closes
// when its worker posts the done event, after joining the worker's thread. Hidden, it never
// appears yet still blocks the rest of the interface.
class ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressDialog(QWidget* parent);
    ~ProgressDialog() override;

    // Thread-safe: post a position or the end of the worker to `dialog`.
    static void PostProgress(ProgressDialog* dialog, int position);
    static void PostDone(ProgressDialog* dialog);

    // Runs the dialog modally (never shown while m_bHidden), with the owner window disabled;
    // returns when the worker is done.
    int exec() override;
    // Ends the dialog only after the worker's done event.
    void done(int result) override;

    QProgressBar* m_progressCtrl = nullptr;
    std::thread* m_hThread = nullptr; // the worker; joined before the dialog ends
    int m_nRange = 0;
    int m_nPos = 0;
    bool m_bHidden = false;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnProgressPos(int position);
    void OnBnClickedOk();
    // The bar shows m_nRange and m_nPos.
    void ShowPosition();

    QPointer<QWidget> m_owner; // the window in front of which it runs; disabled meanwhile
    bool m_bWorkerDone = false;
};

// Posts the done event to its dialog when it goes, so a worker reports its end on every path.
class WorkerDoneGuard
{
public:
    explicit WorkerDoneGuard(ProgressDialog* dialog) : m_dialog(dialog) {}
    ~WorkerDoneGuard() { ProgressDialog::PostDone(m_dialog); }
    WorkerDoneGuard(const WorkerDoneGuard&) = delete;
    WorkerDoneGuard& operator=(const WorkerDoneGuard&) = delete;

private:
    ProgressDialog* m_dialog;
};
