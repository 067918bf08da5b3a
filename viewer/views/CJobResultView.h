#pragma once

#include "viewer/document/DocumentView.h"

#include <QScrollArea>
#include <map>

class CPYRNDoc;
class QLabel;
class QPushButton;

// Form 312: the summary of the loaded job. It only reads the document; its one button opens
// the mail list.
class CJobResultView : public QScrollArea, public DocumentView
{
    Q_OBJECT

public:
    static constexpr unsigned kFormId = 312;
    static constexpr unsigned kOpenButtonId = 1042;

    explicit CJobResultView(QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    // Hints 0 (a log was opened) and 1; others leave the form as it is.
    void OnUpdate(DocumentView* sender, int hint) override;

    void OnBnClickedOpenList();

    // The whole form, so a frame sized to its hint shows it without scrolling.
    QSize sizeHint() const override;

    // The control with id `id` (a label, a value or the button), or null.
    QWidget* Control(unsigned id) const;

private:
    CPYRNDoc* GetDocument() const;
    void SetValue(unsigned id, const QString& text);

    QWidget* m_form = nullptr;
    std::map<unsigned, QLabel*> m_statics;
    QPushButton* m_openButton = nullptr;
};
