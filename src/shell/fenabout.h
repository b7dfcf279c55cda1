#ifndef FENABOUT_H
#define FENABOUT_H

#include <QWidget>

namespace Ui {
class FenAbout;
}

/// The "A propos" window: the description of the program and a button that
/// closes it.
class FenAbout : public QWidget
{
    Q_OBJECT

public:
    explicit FenAbout(QWidget *parent = nullptr);
    ~FenAbout() override;

private:
    Ui::FenAbout *ui;
};

#endif
