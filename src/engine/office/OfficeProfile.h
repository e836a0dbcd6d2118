// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

namespace engine {

// The profile (user installation) an office starts with.
//
// An office given a new profile sets it up, exits with its restart code and
// must be started again; and every start of an office whose profile does not
// name the office's version as the last one it ran runs the office's graphics
// self-tests first. Together that is most of an office's start. So the first
// profile an office sets up is kept, once per user and office installation,
// in the user's cache folder ($XDG_CACHE_HOME/tallowin/office-profile, else
// ~/.cache/tallowin/office-profile; folders 0700, files 0600, owned by the
// user and not links), with a manifest naming the installation it was made
// by, the settings it was made with, and each file with its size and
// SHA-256. Each start copies it into the run's private folder,
// checking every byte against the manifest; anything amiss (another office
// installation or other settings, a file changed, missing or not ours) makes
// the start use a new profile, and the office's set-up of that one replaces
// the kept profile.
//
// The settings file of the profile (registrymodifications.xcu) is never kept
// nor copied: the engine writes it before every start, the same settings
// whatever the cache holds (see Settings).
class OfficeProfile final {
public:
    OfficeProfile() = delete;

    // The settings the engine gives every office, as the office's
    // registrymodifications.xcu: nothing written per document beyond what the
    // conversion asks for, and nothing fetched that a document links; and
    // the office's own version as the last one the profile ran, so that the
    // office skips the self-tests it runs after an installation or upgrade.
    static QByteArray Settings();

    // Makes `profile` (a new private folder of the run) ready for an office
    // start: the kept profile copied in when `useKept` and there is a sound
    // one for this installation and these settings, and in any case the
    // settings. Returns whether the kept profile was used (the office will
    // not ask to be restarted).
    static bool Fill(const QString& profile, bool useKept = true);

    // The office set `profile` up and asked to be restarted: copies what it
    // made into a private staging folder in the cache and returns that folder
    // (empty when there is no usable cache). A kept profile that could not
    // spare the office this set-up is removed.
    static QString Stage(const QString& profile);
    // The office restarted on the staged copy's original runs: the staged
    // copy becomes the kept profile (unless another run kept one meanwhile).
    static void Keep(const QString& staged);
    // Removes a staged copy that is not kept.
    static void Drop(const QString& staged);

    // The kept profile's folder (it may not exist), or empty text when the
    // cache folder cannot be used.
    static QString Folder();
};

} // namespace engine
