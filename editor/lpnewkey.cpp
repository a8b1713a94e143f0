#include "lpnewkey.h"

#include "WidgetText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNewKey::TNewKey(QWidget* owner)
    : QDialog(owner), Panel1(new QWidget(this)), Panel2(new QWidget(this)),
      Label1(new QLabel("Übersetzungs-Schlüssel:", Panel2)), newkey(new QLineEdit(Panel2)),
      Button1(new QPushButton("Okay", Panel1)), Button2(new QPushButton("Abbrechen", Panel1))
{
    setObjectName("NewKey");
    setWindowTitle("Schlüssel anlegen");
    setFont(QFont("Tahoma", 8));
    setModal(false);
    resize(280, 111);
    setMinimumWidth(280);

    Panel1->setObjectName("Panel1");
    Panel2->setObjectName("Panel2");
    Label1->setObjectName("Label1");
    newkey->setObjectName("newkey");
    newkey->setMinimumWidth(257);
    Label1->setBuddy(newkey);
    WidgetText::keepWindows1252(newkey);
    Button1->setObjectName("Button1");
    Button2->setObjectName("Button2");
    Button1->setDefault(true);
    Button2->setAutoDefault(false);

    auto* entry = new QVBoxLayout(Panel2);
    entry->setContentsMargins(8, 8, 8, 0);
    entry->addWidget(Label1);
    entry->addWidget(newkey);
    entry->addStretch(1);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(8, 4, 8, 8);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel2, 1);
    layout->addWidget(Panel1);

    connect(Button1, &QPushButton::clicked, this, &TNewKey::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TNewKey::Button2Click);
}

std::string TNewKey::KeyName() const
{
    return WidgetText::toDocument(newkey->text());
}

void TNewKey::setKeyName(std::string_view name)
{
    newkey->setText(WidgetText::fromDocument(name));
}

void TNewKey::Button1Click()
{
    if (OnRequest)
        OnRequest(this);
    hide();
}

void TNewKey::Button2Click()
{
    hide();
}
