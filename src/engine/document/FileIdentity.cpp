// SPDX-License-Identifier: MPL-2.0
#include "engine/document/FileIdentity.h"

namespace engine {

namespace {
bool same(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}
} // namespace

FileIdentity::FileIdentity(const struct stat& info)
    : mDevice(info.st_dev), mInode(info.st_ino), mSize(info.st_size), mModified(info.st_mtim), mChanged(info.st_ctim)
{
}

bool FileIdentity::operator==(const FileIdentity& other) const
{
    return mDevice == other.mDevice && mInode == other.mInode && mSize == other.mSize
           && same(mModified, other.mModified) && same(mChanged, other.mChanged);
}

} // namespace engine
