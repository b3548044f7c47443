// SPDX-License-Identifier: MIT
#pragma once
// Every control of the main window, built by BuildControls (Layout.cpp) at
// the designed places. Object names equal the member names.

#include <array>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QWidget;

namespace torvex::gui {

class CurveChart;
class IndicatorShape;

struct Controls {
  // Device details
  QGroupBox* deviceFrame = nullptr;
  QComboBox* serialNumberList = nullptr;  // editable: shows why no board is listed
  QLabel* manufacturerLabel = nullptr;
  QLabel* productLabel = nullptr;
  QLabel* versionLabel = nullptr;
  // The profile the board holds, as the agent or the profiles dialog applied it.
  QLabel* activeProfileLabel = nullptr;
  QPushButton* profilesButton = nullptr;
  QPushButton* resetAllButton = nullptr;

  // Left column: the settings editor
  QGroupBox* analogInputFrame = nullptr;
  QComboBox* analogInputModeList = nullptr;
  QGroupBox* masterClutchFrame = nullptr;
  QComboBox* masterClutchList = nullptr;
  QGroupBox* clutchBiteFrame = nullptr;
  QSlider* clutchBiteSlider = nullptr;
  QLineEdit* clutchBiteField = nullptr;
  QGroupBox* rotarySwitchFrame = nullptr;
  QLabel* rotaryLeftCaption = nullptr;
  QComboBox* rotaryLeftList = nullptr;
  QComboBox* rotaryRightList = nullptr;
  QGroupBox* pulseWidthFrame = nullptr;
  QComboBox* pulseWidthList = nullptr;
  QGroupBox* ledFrame = nullptr;
  QSlider* ledSlider = nullptr;
  QLineEdit* ledField = nullptr;

  // Right column: live inputs and the axes
  QGroupBox* inputsFrame = nullptr;
  // One per button, each showing its number from 1.
  std::vector<IndicatorShape*> buttonIndicators;

  QGroupBox* xAxisFrame = nullptr;
  QComboBox* xCurveTypeList = nullptr;
  QSlider* xCurveNumberSlider = nullptr;
  QProgressBar* xAxisBar = nullptr;
  QLabel* xAxisPercentLabel = nullptr;
  QLabel* xAxisValueLabel = nullptr;
  QLineEdit* xDeadHighField = nullptr;
  QLineEdit* xDeadLowField = nullptr;
  QPushButton* calibrateXButton = nullptr;

  QGroupBox* yAxisFrame = nullptr;
  QComboBox* yCurveTypeList = nullptr;
  QSlider* yCurveNumberSlider = nullptr;
  QProgressBar* yAxisBar = nullptr;
  QLabel* yAxisPercentLabel = nullptr;
  QLabel* yAxisValueLabel = nullptr;
  QLineEdit* yDeadHighField = nullptr;
  QLineEdit* yDeadLowField = nullptr;
  QPushButton* calibrateYButton = nullptr;

  // "Show Curve >>" of the X axis (0) and the Y axis (1).
  std::array<QPushButton*, 2> showCurveButtons{};

  // The curve monitor panel, beyond the window's base width
  QLabel* curveAxisCaption = nullptr;
  QLabel* curveAxisLabel = nullptr;
  QLabel* curveHintLabel = nullptr;
  QPushButton* clearChartButton = nullptr;
  CurveChart* curveChart = nullptr;
  QLabel* chartOutputMaxLabel = nullptr;
  QLabel* chartOutputCaption = nullptr;
  QLabel* chartOutputMinLabel = nullptr;
  QLabel* chartInputMinLabel = nullptr;
  QLabel* chartInputCaption = nullptr;
  QLabel* chartInputMaxLabel = nullptr;
};

// Height of the area of a button's number, from a quarter down its indicator.
inline constexpr int kButtonNumberHeightTwips = 495;

// Builds every control on `window` and sizes it to the base width.
Controls BuildControls(QWidget* window);

}  // namespace torvex::gui
