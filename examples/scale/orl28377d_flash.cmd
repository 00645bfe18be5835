MEMORY { }
