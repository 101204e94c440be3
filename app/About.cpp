#include "app/About.h"
#include "app/Version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

About::About(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("About"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFixedSize(300, 166);

    nameLabel = new QLabel(tr("Software name: ") + tr("Quorvane"));
    nameLabel->setStyleSheet(QStringLiteral("font: 13pt"));
    nameLabel->setAlignment(Qt::AlignCenter);
    // The version is the same in every language.
    versionLabel = new QLabel(tr("Software version: ") + QStringLiteral("V" QUORVANE_VERSION));
    versionLabel->setStyleSheet(QStringLiteral("font: 13pt"));
    versionLabel->setAlignment(Qt::AlignCenter);
    okButton = new QPushButton(tr("OK"));
    okButton->setFixedSize(75, 41);

    nameRow = new QHBoxLayout;
    versionRow = new QHBoxLayout;
    buttonRow = new QHBoxLayout;
    mainLayout = new QVBoxLayout;
    nameRow->addWidget(nameLabel, 0, Qt::AlignLeft);
    versionRow->addWidget(versionLabel, 0, Qt::AlignLeft);
    buttonRow->addWidget(okButton);

    mainLayout->addLayout(nameRow);
    mainLayout->addSpacing(10);
    mainLayout->addLayout(versionRow);
    mainLayout->addSpacing(20);
    mainLayout->addLayout(buttonRow);
    mainLayout->setAlignment(Qt::AlignCenter);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    setLayout(mainLayout);

    connect(okButton, &QPushButton::clicked, this, &About::slot_button);
}

void About::slot_button()
{
    accept();
}
