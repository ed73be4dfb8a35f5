#pragma once
// A drop-down list of colours: the standard, extended and system colours of
// the desktop, each with a swatch and its name. A colour that is none of
// them (for example read from the settings file) is offered as an extra
// entry with its "$" value so that it survives a round trip.
#include <QComboBox>
#include <cstdint>

class ColorCombo : public QComboBox {
  Q_OBJECT
public:
  explicit ColorCombo(QWidget *parent = nullptr);
  std::uint32_t Selected() const;
  void Select(std::uint32_t color);

  // The screen colour of a 32-bit colour value (system colours through the
  // current palette).
  static QColor ToQColor(std::uint32_t color);
};

// Every colour the box offers, in list order.
const std::vector<std::uint32_t> &ColorComboValues();
