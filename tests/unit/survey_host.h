// The controls a survey works with, on a form of their own: the three lists and the main window's
// invisible fields. The detector's tests and the survey benchmark hand them to a DetectionCycle.
#pragma once

#include "ui/controls.h"
#include "ui/form.h"

namespace pelkrin::testing {

struct SurveyHost : Form {
  explicit SurveyHost(ViewHost& views) : Form(views, "frmSurvey", "", {}) {}
  ListBox domains{*this, "List1", {}};
  ListBox captions{*this, "List2", {}};
  ListBox blocks{*this, "List3", {}};
  TextBox TextHnd{*this, "TextHnd", {}};
  TextBox TextFlash{*this, "TextFlash", {}};
  TextBox Text2{*this, "Text2", {}};
  ListBox List2{*this, "List2", {}};
};

}  // namespace pelkrin::testing
