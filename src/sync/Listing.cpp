#include "Listing.h"

#include "Collection.h"
#include "Multistatus.h"

Status Listing::add(const Multistatus &page, const Collection &collection)
{
    truncated = false;
    for (const DavResource &resource : page.resources) {
        const auto path = collection.member(resource.href);
        if (!path)
            return path.status();
        if (path.value().isEmpty()) {
            truncated |= resource.status == 507;
            continue;
        }
        if (resource.isAddressBook)
            continue;
        if (resource.status == 404) {
            present.remove(path.value());
            gone.insert(path.value());
        } else if (resource.status >= 200 && resource.status <= 299) {
            gone.remove(path.value());
            present.insert(path.value(), resource.etag);
        }
    }
    token = page.syncToken;
    return Status::success();
}
