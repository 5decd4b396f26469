#include "ui/touch_button_pictures.h"

#include "ui/colour_matrix.h"

namespace qm {

namespace {

std::unique_ptr<Surface> PictureOver(const Surface& background, const SkinImage* image, const ColourMatrix* matrix) {
  std::unique_ptr<Surface> picture = background.Clone();
  if (picture && image) {
    const std::unique_ptr<Canvas> canvas = picture->Paint();
    if (matrix)
      canvas->DrawImageColoured(*image, 0, 0, *matrix);
    else
      canvas->DrawImage(*image, 0, 0);
  }
  return picture;
}

}  // namespace

void ButtonPictures::Build(const Surface& background, const ButtonImages& images) {
  const ColourMatrix hover = HoverMatrix(), grey = GreyMatrix();
  pictures_[0] = PictureOver(background, images.normal, nullptr);
  pictures_[1] = PictureOver(background, images.pressed, nullptr);
  pictures_[2] = PictureOver(background, images.hover, &hover);
  pictures_[3] = PictureOver(background, images.hover, &grey);
}

const Surface* ButtonPictures::For(ButtonPicture picture) const {
  switch (picture) {
    case ButtonPicture::kPressed:
      return pictures_[1].get();
    case ButtonPicture::kHover:
      return pictures_[2].get();
    case ButtonPicture::kDisabled:
      return pictures_[3].get();
    default:
      return pictures_[0].get();
  }
}

}  // namespace qm
