#include "TAboutBox.h"

#include "KorvelIcon.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent), Panel1(new QFrame(this)), ProgramIcon(new QLabel(Panel1)),
      ProductName(new QLabel(Panel1)), Version(new QLabel(Panel1)), Comments(new QLabel(Panel1)),
      OKButton(new QPushButton("OK", this))
{
    setObjectName("AboutBox");
    setWindowTitle("Info über Velmora");
    setFont(QFont("MS Sans Serif", 8));
    setModal(false);
    setFixedSize(298, 213);

    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setFixedSize(64, 64);
    ProgramIcon->setPixmap(KorvelIcon::pixmap(64));
    ProductName->setObjectName("ProductName");
    ProductName->setText("Velmora");
    Version->setObjectName("Version");
    Version->setText("Version " KORVEL_VERSION);
    Comments->setObjectName("Comments");
    Comments->setWordWrap(true);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);

    auto* panelLayout = new QGridLayout(Panel1);
    panelLayout->setContentsMargins(8, 8, 8, 8);
    panelLayout->setHorizontalSpacing(12);
    panelLayout->addWidget(ProgramIcon, 0, 0, 3, 1, Qt::AlignTop);
    panelLayout->addWidget(ProductName, 0, 1);
    panelLayout->addWidget(Version, 1, 1);
    panelLayout->addWidget(Comments, 2, 1);
    panelLayout->setRowStretch(2, 1);
    panelLayout->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Panel1, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    OKButton->setFixedSize(75, 25);

    connect(OKButton, &QPushButton::clicked, this, &QWidget::hide);
}

void TAboutBox::showBeside()
{
    if (!placed) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        placed = true;
    }
    show();
    raise();
    activateWindow();
}
