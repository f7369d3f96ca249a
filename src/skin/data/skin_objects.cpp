#include "skin/data/skin_objects.h"

NV_DEFINE_CLASS(TDataSkinObject, TObject)
NV_DEFINE_CLASS(TDataSkinBorder, TDataSkinObject)
NV_DEFINE_CLASS(TDataSkinButton, TDataSkinObject)
NV_DEFINE_CLASS(TDataSkinTitle, TDataSkinObject)
NV_DEFINE_CLASS(TDataSkinSysButton, TDataSkinObject)
NV_DEFINE_CLASS(TDataSkinBoxLabel, TDataSkinObject)
