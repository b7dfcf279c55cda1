#ifndef SPLASHPERSO_H
#define SPLASHPERSO_H

#include <QPixmap>
#include <QSplashScreen>

/// The start-up picture, shaped by its transparency, kept above the other
/// windows and closed by itself after `duration` milliseconds (0: stays).
class SplashPerso : public QSplashScreen
{
    Q_OBJECT

public:
    SplashPerso(QWidget *parent, const int &duration);

    QPixmap image;
    int duration;
};

#endif
