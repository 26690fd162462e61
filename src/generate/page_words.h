#pragma once

// The words of pages made for sharing: a file's clean name, a page's title made of its
// parts, and the head tags by which a link shared in a chat or a social network shows the
// photo (Open Graph and Twitter cards). Pure functions; safe from any thread.

#include <string>
#include <string_view>
#include <vector>

#include "generate/album_place.h"

// The file name without its extension, "_" and "-" as blanks, every run of blanks as one
// and none at either end: "Harbour_at-dawn.jpg" gives "Harbour at dawn". A name of which
// nothing is left stays as it is.
std::string CleanName(std::string_view path);

// The parts of a title (HTML text), the empty ones left out, joined by " – ".
std::string JoinTitle(const std::vector<std::string>& parts);

// The album a page's title names: the last folder of the album's trail, the top folder's
// name at the top of a site of albums, "" in a site without albums (album null).
std::string AlbumTitle(const AlbumPlace* album);

// The address of a file of the site, given relative to its page (URL-encoded): as it is
// without a site address; with one, the address, the folders of trail and the file.
std::string SiteUrl(std::string_view address, const std::vector<std::string>& trail,
                    const std::string& relative);

// What a shared link shows of a page. Texts are plain; image and page are relative to the
// page's folder and URL-encoded, as the page links them.
struct ShareCard {
    std::string title;
    std::string description;
    std::string siteName;  // "" for none
    std::string image;     // "" for none
    int imageWidth = 0;    // its pixels; 0 when not known
    int imageHeight = 0;
    std::string page;  // the page itself; "" for the folder, as the site's address shows it
};

// The head elements of a page, one a line: og:type, og:title, og:description, og:image
// with its size, og:site_name and twitter:card, and with a site address (Site-Address)
// og:url and the canonical link. Without an address the image is relative to the page,
// which only some readers of shared links follow. trail: the page's album folders.
std::string ShareTags(const ShareCard& card, std::string_view address,
                      const std::vector<std::string>& trail);
