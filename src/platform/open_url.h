#pragma once

// Opening a URL or a local file in the user's browser: the program stored as
// "URLHandler" under the application key when there is one, else xdg-open, which uses
// the desktop's default. When the start fails the user is asked whether to locate a
// browser; a program picked through the installed BrowserChooser is tried at once and
// stored as "URLHandler" once it has started. Thread-safe.

#include <chrono>
#include <memory>
#include <string>

#include "platform/result.h"

// A program that fails to open a URL says so within moments; one still running after
// this long is the browser itself, showing the page.
inline constexpr std::chrono::milliseconds kBrowserStartWindow{3000};

// What a front end gives for picking a browser program: a file chooser in the windows,
// a prompt in mavren-cli. Called on the thread that opens the URL, which for OpenUrl is
// not the caller's: a window-based chooser hands the request to its GUI thread and waits
// for the answer there.
class BrowserChooser {
  public:
    virtual ~BrowserChooser() = default;
    // The full path of the program the user picked; the empty text when they cancelled.
    virtual std::string ChooseBrowser() = 0;

    // Called on the same thread when the program picked has started but could not be
    // stored as "URLHandler" (it is used all the same): stored is the settings store's
    // failure, for the front end to tell as it tells any failed settings write.
    virtual void PickNotStored(const Result& stored) = 0;
};

// Installs the chooser used from now on and returns the previous one. Without one,
// answering Yes to the question ends the attempt as No would.
std::shared_ptr<BrowserChooser> SetBrowserChooser(std::shared_ptr<BrowserChooser> chooser);

// Opens url (or a file path) without making the caller wait: the start, any question
// and any retry happen on a thread of their own. Always true.
bool OpenUrl(const std::string& url);

// The same on the calling thread, for front ends that may wait. Returns once the
// browser runs or has handed the URL on (true), or the user gave up (false). A program
// still running startWindow after its start counts as started.
bool OpenUrlAndWait(const std::string& url,
                    std::chrono::milliseconds startWindow = kBrowserStartWindow);
