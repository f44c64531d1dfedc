// The data controller that is not bound to a data set: usable from creation.
#pragma once

#include "lib/data/vlDataController.h"

class TvlDataController : public TvlCustomDataController {
  CL_CLASS(TvlDataController, TvlCustomDataController)
 public:
  // The inherited construction, then the controller's data is active.
  void Create(TComponent* AOwner) override;
};
