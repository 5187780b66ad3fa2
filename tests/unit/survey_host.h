// The three lists a survey works with, on a form of their own. The detector's tests and the
// survey benchmark hand them to a DetectionCycle.
#pragma once

#include "ui/controls.h"
#include "ui/form.h"

namespace pelkrin::testing {

struct SurveyHost : Form {
  explicit SurveyHost(ViewHost& views) : Form(views, "SurveyHost", "", {}) {}
  ListBox domains{*this, "domains", {}};
  ListBox captions{*this, "captions", {}};
  ListBox blocks{*this, "blocks", {}};
};

}  // namespace pelkrin::testing
