#include "app/About.h"
#include "app/Version.h"
#include "store/ConnectionService.h"
#include "store/Database.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

About::About(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("About"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFixedSize(300, 226);

    nameLabel = new QLabel(tr("Software name: ") + tr("Quorvane"));
    nameLabel->setStyleSheet(QStringLiteral("font: 13pt"));
    nameLabel->setAlignment(Qt::AlignCenter);
    // The version is the same in every language.
    versionLabel = new QLabel(tr("Software version: ") + QStringLiteral("V" QUORVANE_VERSION));
    versionLabel->setStyleSheet(QStringLiteral("font: 13pt"));
    versionLabel->setAlignment(Qt::AlignCenter);
    // A bench may send its readings to a lab's server (a libpq service file).
    serverLabel = new QLabel(tr("Readings go to:") + QLatin1Char('\n')
                             + ConnectionService::describe(Database::defaultSettings()));
    serverLabel->setAlignment(Qt::AlignCenter);
    serverLabel->setWordWrap(true);
    okButton = new QPushButton(tr("OK"));
    okButton->setFixedSize(75, 41);

    nameRow = new QHBoxLayout;
    versionRow = new QHBoxLayout;
    serverRow = new QHBoxLayout;
    buttonRow = new QHBoxLayout;
    mainLayout = new QVBoxLayout;
    nameRow->addWidget(nameLabel, 0, Qt::AlignLeft);
    versionRow->addWidget(versionLabel, 0, Qt::AlignLeft);
    serverRow->addWidget(serverLabel);
    buttonRow->addWidget(okButton);

    mainLayout->addLayout(nameRow);
    mainLayout->addSpacing(10);
    mainLayout->addLayout(versionRow);
    mainLayout->addSpacing(10);
    mainLayout->addLayout(serverRow);
    mainLayout->addSpacing(10);
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
