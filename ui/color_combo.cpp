#include "ui/color_combo.h"

#include "settings/color_text.h"
#include "ui/ui_text.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {

constexpr std::uint32_t Sys(std::uint32_t n) { return 0xFF000000u | n; }

QIcon Swatch(const QColor &color) {
  QPixmap pixmap(16, 12);
  pixmap.fill(color);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 11);
  return QIcon(pixmap);
}

QString DisplayName(std::uint32_t color) {
  QString name = Q(kd::ColorToText(color));
  if (name.startsWith("cl"))
    name.remove(0, 2);
  return name;
}

} // namespace

const std::vector<std::uint32_t> &ColorComboValues() {
  static const std::vector<std::uint32_t> values = [] {
    std::vector<std::uint32_t> v = {
        // standard colours
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
        0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
        // extended colours
        0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0};
    // system colours
    for (std::uint32_t n = 0; n <= 30; ++n)
      if (n != 25)
        v.push_back(Sys(n));
    return v;
  }();
  return values;
}

QColor ColorCombo::ToQColor(std::uint32_t color) {
  if ((color & 0xFF000000u) == 0xFF000000u) {
    const QPalette p = QApplication::palette();
    switch (color & 0xFFu) {
    case 1: case 12: return p.color(QPalette::Dark);
    case 2: case 13: case 27: case 29: return p.color(QPalette::Highlight);
    case 3: case 28: return p.color(QPalette::Mid);
    case 5: return p.color(QPalette::Base);
    case 6: case 21: return p.color(QPalette::Shadow);
    case 7: case 8: case 18: case 23: return p.color(QPalette::WindowText);
    case 9: case 14: return p.color(QPalette::HighlightedText);
    case 16: return p.color(QPalette::Dark);
    case 17: case 19: return p.color(QPalette::PlaceholderText);
    case 20: return p.color(QPalette::Light);
    case 22: return p.color(QPalette::Midlight);
    case 24: return p.color(QPalette::ToolTipBase);
    case 26: return p.color(QPalette::Link);
    default: return p.color(QPalette::Button);
    }
  }
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

ColorCombo::ColorCombo(QWidget *parent) : QComboBox(parent) {
  setMaxVisibleItems(16);
  for (std::uint32_t value : ColorComboValues())
    addItem(Swatch(ToQColor(value)), DisplayName(value), QVariant::fromValue<uint>(value));
}

std::uint32_t ColorCombo::Selected() const {
  return currentIndex() < 0 ? 0 : currentData().toUInt();
}

void ColorCombo::Select(std::uint32_t color) {
  int index = findData(QVariant::fromValue<uint>(color));
  if (index < 0) {
    addItem(Swatch(ToQColor(color)), Q(kd::ColorToText(color)), QVariant::fromValue<uint>(color));
    index = count() - 1;
  }
  setCurrentIndex(index);
}
