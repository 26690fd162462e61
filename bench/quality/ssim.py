#!/usr/bin/python3
"""SSIM of pictures against a reference, on luminance.

usage: ssim.py REFERENCE PICTURE...   prints one SSIM a line, in the order given

Luminance is Y = 0.2125 R + 0.7154 G + 0.0721 B of the 8-bit sRGB values
(skimage.color.rgb2gray); 16-bit pictures are brought to 8-bit values; transparency is
laid over white first, as a browser shows a page. SSIM with the Gaussian window of its authors (sigma 1.5, population covariance).
A picture whose size differs from the reference's gets 0.
"""
import sys

import numpy
from skimage import color, io
from skimage.metrics import structural_similarity


def luminance(path):
    read = io.imread(path)
    pixels = read.astype(numpy.float64)
    if read.dtype == numpy.uint16:
        pixels /= 257.0
    if pixels.ndim == 2:
        return pixels
    if pixels.shape[2] in (2, 4):
        alpha = pixels[..., -1:] / 255.0
        pixels = pixels[..., :-1] * alpha + 255.0 * (1 - alpha)
    if pixels.shape[2] == 1:
        return pixels[..., 0]
    return color.rgb2gray(pixels / 255.0) * 255.0


def main():
    reference = luminance(sys.argv[1])
    for path in sys.argv[2:]:
        picture = luminance(path)
        if picture.shape != reference.shape:
            print("0")
            continue
        value = structural_similarity(reference, picture, data_range=255.0,
                                      gaussian_weights=True, sigma=1.5,
                                      use_sample_covariance=False)
        print(f"{value:.4f}")


main()
