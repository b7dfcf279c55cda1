#include "splashperso.h"

#include <QBitmap>
#include <QRegion>
#include <QTimer>

#include "ressources.h"

SplashPerso::SplashPerso(QWidget *parent, const int &duree)
    : QSplashScreen(parent ? parent->screen() : nullptr, QPixmap(), Qt::WindowFlags())
{
    initialiserRessources();
    image.load(":/SplashScreen/rsc/Ban Quolvex v2.1.png");
    this->duration = duree;
    setWindowFlags(Qt::WindowStaysOnTopHint | Qt::SplashScreen | Qt::FramelessWindowHint);
    if (!image.isNull())
        setMask(QRegion(image.mask()));
    setPixmap(image);
    if (this->duration != 0)
        QTimer::singleShot(this->duration, this, &QWidget::close);
}
