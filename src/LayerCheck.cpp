// Nothing of its own: the layer linked into this object is what is checked.
