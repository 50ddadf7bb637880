#include "render/view.h"

#include "sim/vecmath.h"

namespace vantrel::render {

Matrix projectionMatrix(float aspect) {
    return matrixPerspectiveFovLH(static_cast<float>(FIELD_OF_VIEW), aspect, NEAR_PLANE, FAR_PLANE);
}

Matrix viewMatrix(const World& w) {
    Vec3 forward{0.0f, 0.0f, 1.0f};
    rotateLocalToWorld(forward, viewerOf(w).cameraRoll, viewerOf(w).cameraPitch, viewerOf(w).cameraHeading);
    Vec3 up{0.0f, 1.0f, 0.0f};
    rotateLocalToWorld(up, viewerOf(w).cameraRoll, viewerOf(w).cameraPitch, viewerOf(w).cameraHeading);
    const Vec3& eye = viewerOf(w).cameraPos;
    const Vec3 at{eye.x + forward.x, eye.y + forward.y, eye.z + forward.z};
    return matrixLookAtLH(eye, at, up);
}

void setViewTransform(Device& device, const World& w) { device.setView(viewMatrix(w)); }

}  // namespace vantrel::render
