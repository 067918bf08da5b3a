#include "installer/ProgressWindow.h"

#include "installer/WindowTexts.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace installer {

ProgressWindow::ProgressWindow(const ProgressTexts& texts, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(Text(texts.caption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TitleLabel(texts.title, this));
    layout->addWidget(WrappedLabel(texts.text, this));
    layout->addSpacing(8);

    auto* status = new QHBoxLayout;
    status->addWidget(WrappedLabel(texts.statusLabel, this), 0, Qt::AlignTop);
    m_status = WrappedLabel({}, this);
    m_status->setObjectName(QStringLiteral("statusText"));
    status->addWidget(m_status, 1);
    layout->addLayout(status);

    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancel = new QPushButton(Text(texts.cancelButton), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    setMinimumWidth(520);
}

void ProgressWindow::ShowAction(const QString& description, int done, int total)
{
    if (!description.isEmpty()) {
        m_status->setText(description);
    }
    m_progress->setRange(0, total);
    m_progress->setValue(done);
}

void ProgressWindow::SetCancelVisible(bool visible)
{
    m_cancel->setVisible(visible);
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void ProgressWindow::reject()
{
    if (m_cancel->isVisible()) {
        m_cancelRequested = true;
    }
}

} // namespace installer
