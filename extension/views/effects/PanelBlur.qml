import Qt5Compat.GraphicalEffects

// The blur of a panel locked beneath a notice. Its own folder carries the lint settings that
// pass over the effects module, whose type description Debian does not ship.
GaussianBlur {
    radius: 3
    samples: 7
}
