#pragma once

class QObject;

// What the document asks of each of its views; the document calls them in a fixed order.
class DocumentView
{
public:
    virtual ~DocumentView() = default;
    virtual void OnInitialUpdate() {}
    // sender: the view that caused the change, or null.
    virtual void OnUpdate(DocumentView* sender, int hint) = 0;
    virtual void OnActivateView(bool activate) { (void)activate; }
};
