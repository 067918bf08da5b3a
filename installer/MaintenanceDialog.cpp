#include "installer/MaintenanceDialog.h"

#include "installer/WindowTexts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace installer {

MaintenanceDialog::MaintenanceDialog(const MaintenanceTexts& texts, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MaintenanceDialog"));
    setWindowTitle(Text(texts.caption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TitleLabel(texts.title, this));
    layout->addWidget(WrappedLabel(texts.description, this));

    auto* choices = new QGridLayout;
    choices->setColumnStretch(1, 1);
    choices->setHorizontalSpacing(16);
    auto addChoice = [&](int row, const std::string& button, const std::string& text,
                         const char* name, MaintenanceChoice choice) {
        auto* push = new QPushButton(Text(button), this);
        push->setObjectName(QLatin1String(name));
        connect(push, &QPushButton::clicked, this, [this, choice] {
            m_choice = choice;
            accept();
        });
        choices->addWidget(push, row, 0, Qt::AlignTop);
        choices->addWidget(WrappedLabel(text, this), row, 1);
    };
    addChoice(0, texts.repairButton, texts.repairText, "repairButton", MaintenanceChoice::Repair);
    addChoice(1, texts.removeButton, texts.removeText, "removeButton", MaintenanceChoice::Remove);
    layout->addSpacing(8);
    layout->addLayout(choices);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(Text(texts.cancelButton), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(520);
}

} // namespace installer
