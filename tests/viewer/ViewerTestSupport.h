// Helpers of the viewer's suite: boxes recorded instead of shown, and screenshots of windows.
#pragma once

#include "viewer/common/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QString>
#include <QWidget>
#include <vector>

// Records every box shown while it lives; the boxes return at once as if OK was pressed.
class MessageRecorder
{
public:
    MessageRecorder()
    {
        m_previous = SetMessagePresenter(
            [this](const MessageBoxRequest& request) { m_boxes.push_back(request); });
    }
    ~MessageRecorder() { SetMessagePresenter(m_previous); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<MessageBoxRequest>& Boxes() const { return m_boxes; }
    // The message code of every box, in order ("" for a box without one).
    QStringList Codes() const
    {
        QStringList codes;
        for (const MessageBoxRequest& box : m_boxes) {
            const qsizetype open = box.text.lastIndexOf(QLatin1Char('('));
            codes.append(open < 0 ? QString() : box.text.mid(open + 1).chopped(1));
        }
        return codes;
    }

private:
    MessagePresenter m_previous;
    std::vector<MessageBoxRequest> m_boxes;
};

// Writes `widget` as "<name>.png" into the suite's screenshot folder.
inline void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = QStringLiteral(PYRN_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    // Layouts of a window just shown settle in its pending events.
    QApplication::processEvents();
    widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
