#pragma once
// The window's control library.
#include "ui/controls/CheckBox.h"
#include "ui/controls/Colour.h"
#include "ui/controls/ComboBox.h"
#include "ui/controls/CommandButton.h"
#include "ui/controls/Control.h"
#include "ui/controls/Frame.h"
#include "ui/controls/Label.h"
#include "ui/controls/OptionButton.h"
#include "ui/controls/Picture.h"
#include "ui/controls/Shape.h"
#include "ui/controls/TextBox.h"
#include "ui/controls/TextLayout.h"
