#include "ImageList.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QStyle>
#include <array>
#include <functional>

namespace {

using TPainterFn = std::function<void(QPainter&)>;

QIcon Drawn(const TPainterFn& Paint) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(painter);
    return QIcon(pixmap);
}

// A coloured rounded square with a short white label: the look of the command icons. The square
// stands out from a light toolbar; its lighter rim and the label from a dark one.
QIcon Badge(const QColor& Color, const QString& Label) {
    return Drawn([=](QPainter& p) {
        p.setPen(Color.lighter(170));
        p.setBrush(Color);
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        QFont font = p.font();
        font.setPixelSize(Label.size() > 1 ? 8 : 11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, Label);
    });
}

QIcon Database() {
    return Drawn([](QPainter& p) {
        const QColor body(214, 160, 40);
        p.setPen(body.darker(150));
        p.setBrush(body);
        p.drawRect(QRectF(2.5, 4, 11, 9));
        p.drawEllipse(QRectF(2.5, 10, 11, 5));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(3, 4, 10, 9));
        p.setPen(body.darker(150));
        p.setBrush(body.lighter(130));
        p.drawEllipse(QRectF(2.5, 1.5, 11, 5));
    });
}

QIcon Table() {
    return Drawn([](QPainter& p) {
        p.setPen(QColor(40, 70, 140));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(80, 120, 200));
        for (const double y : {8.5, 11.0})
            p.drawLine(QPointF(2, y), QPointF(14, y));
        p.drawLine(QPointF(6.5, 3), QPointF(6.5, 13.5));
        p.drawLine(QPointF(10.5, 3), QPointF(10.5, 13.5));
    });
}

QIcon Field() {
    return Drawn([](QPainter& p) {
        p.setPen(QColor(128, 0, 0));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 5.5, 13, 5));
        p.fillRect(QRectF(2, 6, 5, 4), QColor(128, 0, 0));
    });
}

QIcon Clock() {
    return Drawn([](QPainter& p) {
        p.setPen(QPen(QColor(30, 110, 60), 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    });
}

QIcon Server() {
    return Drawn([](QPainter& p) {
        p.setPen(QColor(60, 60, 60));
        p.setBrush(QColor(190, 195, 205));
        p.drawRoundedRect(QRectF(3.5, 0.5, 9, 15), 1.5, 1.5);
        p.setBrush(QColor(60, 180, 80));
        p.drawEllipse(QRectF(6, 11, 3, 3));
        p.drawLine(QPointF(5, 4), QPointF(11, 4));
        p.drawLine(QPointF(5, 6.5), QPointF(11, 6.5));
    });
}

// A green triangle pointing right. Its green is of middle lightness, so that it stands out from
// light and from dark toolbars alike; the dark outline sharpens it on light ones.
QIcon Run() {
    return Drawn([](QPainter& p) {
        p.setPen(QPen(QColor(20, 90, 35), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(40, 155, 65));
        p.drawPolygon(QPolygonF({{3.5, 1.5}, {14, 8}, {3.5, 14.5}}));
    });
}

// A sheet of paper with a folded corner: light paper, dark edges, for light and dark toolbars.
QIcon Page() {
    return Drawn([](QPainter& p) {
        p.setPen(QPen(QColor(70, 70, 70), 1.0));
        p.setBrush(QColor(250, 250, 250));
        p.drawPolygon(QPolygonF({{2.5, 0.5}, {9.5, 0.5}, {13.5, 4.5}, {13.5, 15.5}, {2.5, 15.5}}));
        p.drawPolyline(QPolygonF({{9.5, 0.5}, {9.5, 4.5}, {13.5, 4.5}}));
    });
}

// A door with an arrow leaving through it.
QIcon Exit() {
    return Drawn([](QPainter& p) {
        p.setPen(QPen(QColor(90, 60, 20), 1.0));
        p.setBrush(QColor(235, 205, 150));
        p.drawRect(QRectF(1.5, 0.5, 8, 15));
        p.setPen(QPen(QColor(20, 90, 35), 1.0));
        p.setBrush(QColor(40, 155, 65));
        p.drawPolygon(
            QPolygonF({{6.5, 6}, {11, 6}, {11, 3}, {15.5, 8}, {11, 13}, {11, 10}, {6.5, 10}}));
    });
}

QIcon Standard(QStyle::StandardPixmap Pixmap) {
    return QApplication::style()->standardIcon(Pixmap);
}

std::array<QIcon, ImageCount> MakeImages() {
    std::array<QIcon, ImageCount> images;
    images[NewImage] = Page();
    images[TableImage] = Table();
    images[ProcedureImage] = Badge(QColor(110, 60, 150), "P");
    images[OpenImage] = Standard(QStyle::SP_DialogOpenButton);
    images[SaveImage] = Standard(QStyle::SP_DialogSaveButton);
    images[PrintImage] = Badge(QColor(90, 90, 90), "Pr");
    images[ExitImage] = Exit();
    images[RunImage] = Run();
    images[CopyOverImage] = Standard(QStyle::SP_ArrowRight);
    images[DatabaseImage] = Database();
    images[ConnectImage] = Badge(QColor(40, 140, 70), "C");
    images[DisconnectImage] = Badge(QColor(170, 50, 40), "X");
    images[TableMenuImage] = Badge(QColor(50, 90, 170), "T");
    images[ProcedureMenuImage] = Badge(QColor(110, 60, 150), "SP");
    images[GuidImage] = Badge(QColor(0, 120, 130), "G");
    images[FieldImage] = Field();
    images[DateTimeImage] = Clock();
    images[HistoryImage] = Badge(QColor(120, 90, 40), "H");
    images[LogImage] = Badge(QColor(90, 90, 90), "L");
    images[ParameterImage] = Badge(QColor(128, 0, 128), "@");
    images[RefreshImage] = Standard(QStyle::SP_BrowserReload);
    images[ServerImage] = Server();
    images[AboutImage] = Standard(QStyle::SP_MessageBoxInformation);
    images[ConnectionFileImage] = Badge(QColor(40, 140, 70), "U");
    images[SaveAsImage] = Badge(QColor(40, 90, 160), "S");
    images[CancelImage] = Standard(QStyle::SP_BrowserStop);
    return images;
}

} // namespace

QIcon ImageList1(int Index) {
    static const std::array<QIcon, ImageCount> images = MakeImages();
    if (Index < 0 || Index >= ImageCount)
        return {};
    return images[static_cast<size_t>(Index)];
}
