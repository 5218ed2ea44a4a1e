#include "app/settings_page.h"

#include <QDesktopServices>

#include "gui/common/link_label.h"
#include "gui/common/port_selector.h"
#include "ui_settings_page.h"

namespace pelmar {

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent), ui(new Ui::SettingsPage) {
    ui->setupUi(this);
    ui->Label15->setLink(contactUrl().path(), QStringLiteral("Write to us"));
    ui->Label16->setLink(webUrl().host() + webUrl().path(), QStringLiteral("Open our web site"));
    connect(ui->Label15, &QLabel::linkActivated, this, &SettingsPage::Label15Click);
    connect(ui->Label16, &QLabel::linkActivated, this, &SettingsPage::Label16Click);
}

SettingsPage::~SettingsPage() {
    delete ui;
}

PortSelector* SettingsPage::portSelector() const {
    return ui->ComPortSelector;
}

QCheckBox* SettingsPage::olderHandsetCheck() const {
    return ui->OlderHandsetCheck;
}

void SettingsPage::Label15Click() {
    QDesktopServices::openUrl(contactUrl());
}

void SettingsPage::Label16Click() {
    QDesktopServices::openUrl(webUrl());
}

}  // namespace pelmar
