#pragma once

// An error object: a domain, a code and a description that says what went
// wrong. Reference counted like every stand-in object.

#include <string>

#include "CoreFoundation/CFBase.h"
#include "StandIn/Strong.h"

class NSError : public CFObject
{
public:
  NSError(std::string domain, long code, std::string description)
    : mDomain(std::move(domain)), mCode(code), mDescription(std::move(description)) {}
  const std::string& domain() const { return mDomain; }
  long code() const { return mCode; }
  const std::string& localizedDescription() const { return mDescription; }

private:
  std::string mDomain;
  long mCode;
  std::string mDescription;
};
