#pragma once

#include <QWidget>

class QLabel;

// What the task list area shows until the first disc is opened: the product, three steps to a first
// conversion and a link to the project's home page.
class TStartScreen : public QWidget {
    Q_OBJECT
public:
    // linkText: the maker's name and address as the link label shows it.
    TStartScreen(const QString& linkText, QWidget* parent = nullptr);

    QLabel* labProgramName = nullptr;
    QLabel* labLink = nullptr;

signals:
    void labLinkClick();

protected:
    void paintEvent(QPaintEvent* event) override;
};
