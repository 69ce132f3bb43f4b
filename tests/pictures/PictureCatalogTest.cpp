#include "PictureCatalog.h"

#include <gtest/gtest.h>

TEST (PictureCatalog, EveryPictureDecodesToItsCatalogSizeAndAlpha)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    for (int i = 0; i < PictureCatalog::numPictures; ++i)
    {
        const auto picture = static_cast<Picture> (i);
        const auto& spec = PictureCatalog::spec (picture);
        SCOPED_TRACE (spec.name);
        const auto image = PictureCatalog::get (picture);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), spec.width);
        EXPECT_EQ (image.getHeight(), spec.height);
        EXPECT_EQ (image.hasAlphaChannel(), spec.hasAlpha);
    }
}
