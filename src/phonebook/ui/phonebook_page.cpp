#include "phonebook/ui/phonebook_page.h"

#include "ui_phonebook_page.h"

namespace pelmar {

PhoneBookPage::PhoneBookPage(PageContext&, QWidget* parent)
    : QWidget(parent), ui(new Ui::PhoneBookPage) {
    ui->setupUi(this);
}

PhoneBookPage::~PhoneBookPage() {
    delete ui;
}

}  // namespace pelmar
