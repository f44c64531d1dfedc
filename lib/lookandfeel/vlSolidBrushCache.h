// The shared cache of solid brushes: up to 128 brushes sorted by colour,
// each counted when asked for again; when full, the least used one goes.
// System colours are served from the system's own colour brushes and never
// cached. A returned brush belongs to the cache: use it at once, never
// delete it (it is valid until the cache drops it). Main thread only.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/WinTypes.h"

class TvlCanvas;
class TvlSystemPaletteChangedNotifier;

class TvlSolidBrushCache : public TObject {
  CL_CLASS(TvlSolidBrushCache, TObject)
 public:
  // Capacity 128.
  void Create();
  void Create(Integer AMaxDepth);
  void Destroy() override;

  win::HBRUSH GetBrush(TColor AColor);
  // Deletes every cached brush.
  void Clear();
  virtual void SystemPaletteChanged();

  Integer Depth() const { return FDepth; }
  Integer MaxDepth() const { return FMaxDepth; }
  // Entry AIndex (0 ... Depth - 1), in ascending order of colour.
  TColor BrushColor(Integer AIndex) const { return FBrushColors[size_t(AIndex)]; }
  Cardinal Count(Integer AIndex) const { return FCounts[size_t(AIndex)]; }

 private:
  Integer FindIndex(TColor AColor, Boolean& AFound) const;
  void MakeRoomForBrush(Integer& AIndex);

  std::vector<TColor> FBrushColors;
  std::vector<win::HBRUSH> FBrushes;
  std::vector<Cardinal> FCounts;
  Integer FDepth{};
  Integer FMaxDepth{};
  TvlSystemPaletteChangedNotifier* FSystemPaletteChangedNotifier{};
};

// The shared cache's brush of AColor (the canvas is not used).
win::HBRUSH vlGetSolidBrush(TColor AColor);
win::HBRUSH vlGetSolidBrush(TCanvas* ACanvas, TColor AColor);
win::HBRUSH vlGetSolidBrush(TvlCanvas* ACanvas, TColor AColor);
// The shared cache (nil before the unit's start-up and after its shut-down).
TvlSolidBrushCache* vlSolidBrushCache();

void vlSolidBrushCacheInitialize();
void vlSolidBrushCacheFinalize();
