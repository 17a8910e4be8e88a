#pragma once
// TUpdatesSuspended: a widget's painting suspended until the end of the scope.

#include <QWidget>

class TUpdatesSuspended {
public:
    explicit TUpdatesSuspended(QWidget *widget) : m_widget(widget), m_was(widget->updatesEnabled())
    {
        widget->setUpdatesEnabled(false);
    }
    ~TUpdatesSuspended() { m_widget->setUpdatesEnabled(m_was); }
    TUpdatesSuspended(const TUpdatesSuspended &) = delete;
    TUpdatesSuspended &operator=(const TUpdatesSuspended &) = delete;

private:
    QWidget *m_widget;
    bool m_was;
};
