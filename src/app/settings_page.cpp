#include "app/settings_page.h"

#include <QDesktopServices>

#include "link/ui/port_selector.h"
#include "ui_settings_page.h"

namespace pelmar {

namespace {

// A link label: the address as a link the mouse and the keyboard (Tab, Enter) can follow.
void makeLink(QLabel* label, const QString& shown, const QString& toolTip) {
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(shown.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setCursor(Qt::PointingHandCursor);
    label->setAccessibleName(shown);
    label->setToolTip(toolTip);
}

}  // namespace

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent), ui(new Ui::SettingsPage) {
    ui->setupUi(this);
    makeLink(ui->Label15, contactUrl().path(), QStringLiteral("Write to us"));
    makeLink(ui->Label16, webUrl().host() + webUrl().path(), QStringLiteral("Open our web site"));
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
