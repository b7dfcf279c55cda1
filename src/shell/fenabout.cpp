#include "fenabout.h"

#include "ressources.h"
#include "ui_fenabout.h"

FenAbout::FenAbout(QWidget *parent) : QWidget(parent), ui(new Ui::FenAbout)
{
    initialiserRessources();
    ui->setupUi(this);
    setFixedSize(520, 440);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->pushButton, &QPushButton::clicked, this, &QWidget::close);
}

FenAbout::~FenAbout()
{
    delete ui;
}
