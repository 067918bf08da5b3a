// The base of every component that a panel lays out: it knows its place and size and moves its
// window there, a pixel in from every side.
#pragma once

#include <QWidget>
#include <cstdint>

class CComponentWnd : public QWidget
{
public:
    CComponentWnd() = default;
    ~CComponentWnd() override;

    // Makes the component a visible child of the parent at (0, 0, m_cx, m_cy); false without
    // a parent.
    virtual bool Create(QWidget* parent);
    virtual void DestroyContents();
    // Moves the window to its rectangle less 1 pixel on every side, once it is created.
    virtual void MoveToRect();

    std::int32_t m_x = 0; // place in the panel's content coordinates, written by the layout
    std::int32_t m_y = 0;
    std::int32_t m_cx = 0; // size, set by the creator
    std::int32_t m_cy = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
};
