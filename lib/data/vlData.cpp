#include "lib/data/vlData.h"

CL_IMPLEMENT_CLASS(TvlDataController)

void TvlDataController::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  ActiveChanged(true);
}
